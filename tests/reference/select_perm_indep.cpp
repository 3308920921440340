// SPDX-License-Identifier: GPL-3.0-or-later
// Selected-permutation independent model: only assignments in which every
// shift is plausible for its atom, weighted as in the full model.
#include "reference/reference_engines.h"
#include "engines/select_walk.h"
#include "linalg/density.h"

namespace reference {

namespace {

// Missing rates and densities of the nucleus' current assignment, in one pass
// over its atoms.
double nucleus_factor(const stat_data_t &s, const select_walk_t &walk, int k) {
    const nucleus_t &x = walk.x[k];
    const std::vector<int> &tag = walk.enumd[k].tag;
    double factor = 1.0;
    for (int a = 0; a < x.atoms; a++) {
        const int i = x.first + a;
        if (tag[a] == -1)
            factor *= s.miss[i];
        else
            factor *= gauss_proba(x.values[tag[a]], s.mean[i], s.std_dev[i]) * (1.0 - s.miss[i]);
    }
    return factor;
}

}  // namespace

double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s) {
    select_walk_t walk;
    if (!set_up_select_walk(v, s, walk)) return 0.0;

    double sum = 0.0;
    if (!first_assignment(walk, H_NUCLEUS)) return 0.0;
    do {
        const double fH = nucleus_factor(s, walk, H_NUCLEUS);
        if (!first_assignment(walk, C_NUCLEUS)) return 0.0;
        do {
            const double fC = nucleus_factor(s, walk, C_NUCLEUS);
            if (!first_assignment(walk, N_NUCLEUS)) return 0.0;
            const double fHC = fH * fC;
            do {
                sum += fHC * nucleus_factor(s, walk, N_NUCLEUS);
            } while (next_assignment(walk, N_NUCLEUS));
        } while (next_assignment(walk, C_NUCLEUS));
    } while (next_assignment(walk, H_NUCLEUS));
    return sum;
}

}  // namespace reference
