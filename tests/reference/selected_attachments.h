// SPDX-License-Identifier: GPL-3.0-or-later
// The selected attachments of one nucleus, enumerated as the selected
// models define them, independently of the engines' enumerator: a shift's
// candidates are the atoms of its nucleus at which its normal density is
// above 1e-06, and every way of giving the shifts distinct candidates, in
// lexicographic order of their atoms (shift 0's atom first), is one attachment.
#pragma once

#include <vector>

#include "reference/blocks.h"

namespace reference {

struct selected_nucleus_t {
    block_t x;
    std::vector<std::vector<int>> candidates;  // per shift: its candidate atoms (block indices), increasing
    std::vector<std::vector<int>> attachments; // every attachment: the block index of each shift's atom
};

// The H, C and N nuclei of the pair with all their selected attachments.
void enumerate_selected(const value_data_t &v, const stat_data_t &s, selected_nucleus_t nuclei[NUCLEI]);

// Missing-rate factor of the nucleus when the atoms of the attachment are observed.
double attachment_missing_rate(const stat_data_t &s, const selected_nucleus_t &nucleus, const std::vector<int> &atoms);

}  // namespace reference
