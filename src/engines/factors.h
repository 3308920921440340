// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces shared by the engines: the nucleus blocks of a type and the
// missing-rate factors.
#pragma once

#include "input/records.h"

// One nucleus of a (spin system, type) pair: the type's atoms of that nucleus
// are positions first .. first + atoms - 1; the spin system has `shifts` of them.
struct nucleus_t {
    int atoms;             // the type's atoms of this nucleus
    int first;             // position of the first of them in the type's arrays
    int shifts;            // the spin system's shifts of this nucleus
    const double *values;  // those shifts, in input order
};

enum { H_NUCLEUS, C_NUCLEUS, N_NUCLEUS, NUCLEI };

// The H, C and N nuclei of the pair, in that order.
void nuclei_of(const value_data_t &v, const stat_data_t &s, nucleus_t nuclei[NUCLEI]);

// Product over the nucleus' atoms of 1 - miss (observed) or miss (missing);
// observed(j) tells whether atom j of the block holds a shift.
template <typename Observed>
double missing_rate_factor(const stat_data_t &s, const nucleus_t &x, Observed observed) {
    double factor = 1.0;
    for (int j = 0; j < x.atoms; j++) {
        const double miss = s.miss[x.first + j];
        factor *= observed(j) ? 1.0 - miss : miss;
    }
    return factor;
}

// Score of a spin system without shifts: every atom of the type is missing.
double all_missing_proba(const value_data_t &v, const stat_data_t &s);

// True when the type has fewer atoms of some nucleus than the spin system has
// shifts of it; such a pair scores 0 without its engine.
bool fails_count_test(const value_data_t &v, const stat_data_t &s);
