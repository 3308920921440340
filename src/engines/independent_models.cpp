// SPDX-License-Identifier: GPL-3.0-or-later
// The independent models: the sum over attachments factorises into one sum
// per nucleus, each computed over subsets of its shifts.
#include "engines/engines.h"
#include "engines/factors.h"
#include "engines/select_walk.h"
#include "engines/subset_sum.h"
#include "linalg/density.h"

namespace {

// Weights of a nucleus: the density of each shift at each atom, or only at
// the atoms of its candidate list when one is given.
attachment_weights_t nucleus_weights(const stat_data_t &s, const nucleus_t &x, const enum_data_t *candidates) {
    attachment_weights_t w;
    w.shifts = x.shifts;
    w.atoms = x.atoms;
    w.miss = s.miss.data() + x.first;
    w.zero_forbids = candidates != nullptr;
    w.weight.assign(static_cast<std::size_t>(x.shifts) * x.atoms, 0.0);
    for (int i = 0; i < x.shifts; i++) {
        double *row = w.weight.data() + static_cast<std::size_t>(i) * x.atoms;
        auto set = [&](int j) { row[j] = gauss_proba(x.values[i], s.mean[x.first + j], s.std_dev[x.first + j]); };
        if (candidates == nullptr)
            for (int j = 0; j < x.atoms; j++) set(j);
        else
            for (int p = 0; p < candidates->max_val[i]; p++) set(candidates->val[i][p]);
    }
    return w;
}

}  // namespace

double full_perm_indep_proba(const value_data_t &v, const stat_data_t &s) {
    nucleus_t x[NUCLEI];
    nuclei_of(v, s, x);
    double product = 1.0;
    for (int k = 0; k < NUCLEI; k++) product *= nucleus_attachment_sum(nucleus_weights(s, x[k], nullptr));
    return product;
}

double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s) {
    select_walk_t walk;
    if (!set_up_select_walk(v, s, walk)) return 0.0;
    // A nucleus whose shifts cannot go to distinct candidates leaves nothing to sum.
    for (int k = 0; k < NUCLEI; k++)
        if (!first_assignment(walk, k)) return 0.0;
    double product = 1.0;
    for (int k = 0; k < NUCLEI; k++)
        product *= nucleus_attachment_sum(nucleus_weights(s, walk.x[k], &walk.enumd[k]));
    return product;
}
