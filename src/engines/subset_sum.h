// SPDX-License-Identifier: GPL-3.0-or-later
// Sum over the attachments of one nucleus: every way of giving its shifts to
// distinct atoms, an observed atom weighing (1 - miss) × the weight of its
// shift there and a missing atom weighing miss.
#pragma once

#include <vector>

struct attachment_weights_t {
    int shifts = 0;              // k: the spin system's shifts of the nucleus
    int atoms = 0;               // m: the type's atoms of the nucleus
    const double *miss = nullptr;  // missing rate of each atom (m entries)
    std::vector<double> weight;  // k × m, row per shift: weight of shift i at atom j
    bool zero_forbids = false;   // true: a weight of 0 marks a pair that is no attachment at all, which adds
                                 // nothing even where the other factors overflow to infinity
};

// Dynamic programming over the atoms in order and the subsets of shifts
// already attached: O(m × k × 2^k) instead of m!/(m-k)! terms.
double nucleus_attachment_sum(const attachment_weights_t &w);
