// SPDX-License-Identifier: GPL-3.0-or-later
// Selected-permutation MVND model: the selected assignments, each scored by
// one multivariate normal density over all observed shifts.
#include "reference/reference_engines.h"
#include "reference/mvnd_work.h"
#include "engines/select_walk.h"

namespace reference {

namespace {

// Missing-rate factor of the nucleus' current assignment.
double assignment_missing_rate(const stat_data_t &s, const select_walk_t &walk, int k) {
    const std::vector<int> &tag = walk.enumd[k].tag;
    return missing_rate_factor(s, walk.x[k], [&](int a) { return tag[a] != -1; });
}

// Rows of the nucleus (from first_row) follow its shifts in input order and
// take the atoms of the current assignment.
void place_assignment(mvnd_work_t &work, const stat_data_t &s, const select_walk_t &walk, int k, int first_row) {
    const nucleus_t &x = walk.x[k];
    std::vector<int> atoms(x.shifts);
    for (int i = 0; i < x.shifts; i++) {
        atoms[i] = assigned_atom(walk, k, i);
        work.values[first_row + i] = x.values[i];
    }
    place_rows(work, s, first_row, x.shifts, atoms.data());
}

}  // namespace

double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    // Without shifts the density has order 0 and counts 1.
    if (v.total_num == 0) return all_missing_proba(v, s);

    mvnd_work_t work;
    alloc_mvnd_work(work, v.total_num, __func__);
    select_walk_t walk;
    if (!set_up_select_walk(v, s, walk)) return 0.0;
    const int rH = 0, rC = v.H_num, rN = v.H_num + v.C_num;

    double sum = 0.0;
    if (!first_assignment(walk, H_NUCLEUS)) return 0.0;
    do {
        const double gH = assignment_missing_rate(s, walk, H_NUCLEUS);
        place_assignment(work, s, walk, H_NUCLEUS, rH);
        if (!first_assignment(walk, C_NUCLEUS)) return 0.0;
        do {
            const double gC = assignment_missing_rate(s, walk, C_NUCLEUS);
            place_assignment(work, s, walk, C_NUCLEUS, rC);
            if (!first_assignment(walk, N_NUCLEUS)) return 0.0;
            const double gHC = gH * gC;
            do {
                const double gN = assignment_missing_rate(s, walk, N_NUCLEUS);
                place_assignment(work, s, walk, N_NUCLEUS, rN);
                const double hl = factor_cov(work);
                sum += mvnd_density(work, hl) * (gN * gHC);
            } while (next_assignment(walk, N_NUCLEUS));
        } while (next_assignment(walk, C_NUCLEUS));
    } while (next_assignment(walk, H_NUCLEUS));
    return sum;
}

}  // namespace reference
