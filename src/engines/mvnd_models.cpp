// SPDX-License-Identifier: GPL-3.0-or-later
// The MVND models: the attachments of a pair walked row by row.
#include <algorithm>
#include <cmath>

#include "engines/engines.h"
#include "engines/row_walk.h"
#include "engines/select_walk.h"

namespace {

// Every atom of the shift's nucleus, the most plausible first, so that the
// walk meets a good attachment early and can skip against it.
void plausible_first(const stat_data_t &s, const nucleus_t &x, double shift, std::vector<int> &atoms) {
    auto distance = [&](int a) {
        const double z = std::fabs((shift - s.mean[a]) / s.std_dev[a]);
        return std::isnan(z) ? HUGE_VAL : z;
    };
    atoms.resize(x.atoms);
    for (int j = 0; j < x.atoms; j++) atoms[j] = x.first + j;
    std::stable_sort(atoms.begin(), atoms.end(), [&](int a, int b) { return distance(a) < distance(b); });
}

}  // namespace

double full_perm_dep_proba_counted(const value_data_t &v, const stat_data_t &s, walk_counts_t *counts) {
    // Without shifts the density has order 0 and counts 1.
    if (v.total_num == 0) return all_missing_proba(v, s);
    nucleus_t x[NUCLEI];
    nuclei_of(v, s, x);
    row_candidates_t candidates[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        candidates[k].resize(x[k].shifts);
        for (int i = 0; i < x[k].shifts; i++) plausible_first(s, x[k], x[k].values[i], candidates[k][i]);
    }
    return mvnd_attachment_sum(v, s, FULL_PERMUTATIONS, candidates, counts);
}

double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    return full_perm_dep_proba_counted(v, s, nullptr);
}

double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    if (v.total_num == 0) return all_missing_proba(v, s);
    select_walk_t walk;
    if (!set_up_select_walk(v, s, walk)) return 0.0;
    // The pruned candidate lists, in increasing atom order as the enumerator tries them.
    row_candidates_t candidates[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        const enum_data_t &e = walk.enumd[k];
        candidates[k].resize(walk.x[k].shifts);
        for (int i = 0; i < walk.x[k].shifts; i++)
            for (int p = 0; p < e.max_val[i]; p++) candidates[k][i].push_back(walk.x[k].first + e.val[i][p]);
    }
    return mvnd_attachment_sum(v, s, SELECTED_PERMUTATIONS, candidates, nullptr);
}
