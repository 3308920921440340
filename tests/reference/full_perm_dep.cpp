// SPDX-License-Identifier: GPL-3.0-or-later
// Full-permutation MVND model: every attachment, scored by one multivariate
// normal density over all observed shifts with the chosen atoms' covariances.
#include "reference/reference_engines.h"
#include "reference/full_walk.h"
#include "reference/mvnd_work.h"

namespace reference {

namespace {

// Rows of the nucleus (from first_row) take its chosen atoms, in increasing order.
void place_choice(mvnd_work_t &work, const stat_data_t &s, const full_walk_t &w, int first_row) {
    std::vector<int> atoms(w.x.shifts);
    for (int i = 0; i < w.x.shifts; i++) atoms[i] = w.x.first + chosen_atom(w, i);
    place_rows(work, s, first_row, w.x.shifts, atoms.data());
}

// Rows of the nucleus take its shifts in the current order.
void place_order(mvnd_work_t &work, const full_walk_t &w, int first_row) {
    for (int i = 0; i < w.x.shifts; i++) work.values[first_row + i] = w.x.values[ordered_shift(w, i)];
}

}  // namespace

double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    // Without shifts the density has order 0 and counts 1.
    if (v.total_num == 0) return all_missing(v, s);

    mvnd_work_t work;
    alloc_mvnd_work(work, v.total_num, __func__);
    full_walk_t walks[NUCLEI];
    make_full_walks(v, s, walks, __func__);
    full_walk_t &H = walks[H_NUCLEUS], &C = walks[C_NUCLEUS], &N = walks[N_NUCLEUS];
    const int rH = 0, rC = v.H_num, rN = v.H_num + v.C_num;

    // The covariance, its log-determinant and inverse depend on the choice of
    // atoms only; the orders change the shift vector alone.
    double sum = 0.0;
    first_choice(H);
    do {
        place_choice(work, s, H, rH);
        const double mH = choice_missing_rate(s, H);
        first_choice(C);
        do {
            place_choice(work, s, C, rC);
            const double mHC = mH * choice_missing_rate(s, C);
            first_choice(N);
            do {
                place_choice(work, s, N, rN);
                const double mN = choice_missing_rate(s, N);
                const double hl = factor_cov(work);
                first_order(H);
                do {
                    place_order(work, H, rH);
                    first_order(C);
                    do {
                        place_order(work, C, rC);
                        first_order(N);
                        do {
                            place_order(work, N, rN);
                            sum = sum + mHC * mN * mvnd_density(work, hl);
                        } while (next_order(N));
                    } while (next_order(C));
                } while (next_order(H));
            } while (next_choice(N));
        } while (next_choice(C));
    } while (next_choice(H));
    return sum;
}

}  // namespace reference
