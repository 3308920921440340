// SPDX-License-Identifier: GPL-3.0-or-later
// Full-permutation independent model: every attachment of every nucleus,
// weighted by missing rates and a product of normal densities.
#include "reference/reference_engines.h"
#include "reference/full_walk.h"
#include "linalg/density.h"

namespace reference {

namespace {

// Product of the densities of the nucleus' shifts, shift i at the atom chosen
// at position perm[i] of the current choice.
double choice_density(const stat_data_t &s, const full_walk_t &w) {
    double factor = 1.0;
    for (int i = 0; i < w.x.shifts; i++) {
        const int a = w.x.first + chosen_atom(w, ordered_shift(w, i));
        factor *= gauss_proba(w.x.values[i], s.mean[a], s.std_dev[a]);
    }
    return factor;
}

}  // namespace

double full_perm_indep_proba(const value_data_t &v, const stat_data_t &s) {
    full_walk_t walks[NUCLEI];
    make_full_walks(v, s, walks, __func__);
    full_walk_t &H = walks[H_NUCLEUS], &C = walks[C_NUCLEUS], &N = walks[N_NUCLEUS];

    // Each factor is computed at the outermost loop on which it depends.
    double sum = 0.0;
    first_choice(H);
    do {
        const double mH = choice_missing_rate(s, H);
        first_choice(C);
        do {
            const double mC = choice_missing_rate(s, C);
            first_choice(N);
            do {
                const double mN = choice_missing_rate(s, N);
                first_order(H);
                do {
                    const double dH = choice_density(s, H);
                    first_order(C);
                    do {
                        const double dC = choice_density(s, C);
                        first_order(N);
                        do {
                            const double dN = choice_density(s, N);
                            sum += mH * dH * mC * dC * mN * dN;
                        } while (next_order(N));
                    } while (next_order(C));
                } while (next_order(H));
            } while (next_choice(N));
        } while (next_choice(C));
    } while (next_choice(H));
    return sum;
}

}  // namespace reference
