// SPDX-License-Identifier: GPL-3.0-or-later
// The nucleus blocks of a (spin system, type) pair and the missing-rate
// factor, as the models define them, written out for the straightforward
// engines on their own so that they share no code with the fast engines.
#pragma once

#include "input/records.h"

namespace reference {

enum { H_NUCLEUS, C_NUCLEUS, N_NUCLEUS, NUCLEI };

// The type's atoms of one nucleus are positions first .. first + atoms - 1;
// the spin system has `shifts` of them.
struct block_t {
    int atoms;             // the type's atoms of this nucleus
    int first;             // position of the first of them
    int shifts;            // the spin system's shifts of this nucleus
    const double *values;  // those shifts, in input order
};

// The H, C and N blocks of the pair, in that order.
void blocks_of(const value_data_t &v, const stat_data_t &s, block_t blocks[NUCLEI]);

// Product over the block's atoms, in order, of 1 - miss (observed(j)) or miss.
template <typename Observed>
double missing_rate(const stat_data_t &s, const block_t &x, Observed observed) {
    double factor = 1.0;
    for (int j = 0; j < x.atoms; j++) factor *= observed(j) ? 1.0 - s.miss[x.first + j] : s.miss[x.first + j];
    return factor;
}

// Score of a spin system without shifts: every atom of the type is missing.
double all_missing(const value_data_t &v, const stat_data_t &s);

}  // namespace reference
