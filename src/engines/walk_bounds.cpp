// SPDX-License-Identifier: GPL-3.0-or-later
// Bounds of the full-permutation MVND walk: what a subtree of attachments
// can hold at most, so that the walk may skip it.
#include <algorithm>
#include <cmath>

#include "engines/assignment.h"
#include "engines/walk_state.h"
#include "input/failure.h"

namespace {

// Relative share of the pair's score that skipped subtrees may hold in total.
const double skip_budget = 1e-13;

// An exponent below this gives exp() == 0, whatever follows.
const double zero_exponent = -750.0;

// Least sum of squared z-scores of the rows from `depth` on: each takes the
// nearest atom of its nucleus still free.
double rest_z2(const row_walk_t &w, int depth) {
    double sum = w.later_z2[depth];
    const std::size_t m = w.used.size();
    for (int j = depth; j < w.n && w.nucleus[j] == w.nucleus[depth]; j++) {
        const nucleus_t &x = w.blocks[w.nucleus[j]];
        const double *z2 = w.row_z2.data() + j * m;
        double nearest = HUGE_VAL;
        for (int a = x.first; a < x.first + x.atoms; a++)
            if (!w.used[a]) nearest = std::min(nearest, z2[a]);
        sum += nearest;
    }
    return sum;
}

}  // namespace

// True when no completion below the first `depth` rows can matter: every
// one underflows, or together they hold less than their share of the budget.
// The quadratic form of a completion is at least the partial form of its
// first rows, and at least its squared z-scores over the largest eigenvalue
// of the correlations; its log-determinant at least the partial one plus the
// rows' smallest conditional variances.
bool may_skip(row_walk_t &w, int depth) {
    if (!w.skipping) return false;
    const int r = depth - 1;
    const double q = depth > 0 ? w.q[r] : 0.0, log_det = depth > 0 ? w.log_det[r] : 0.0;
    const double z2 = (depth > 0 ? w.z2[r] : 0.0) + (depth < w.n ? rest_z2(w, depth) : 0.0);
    const double form = std::max(q, z2 / w.largest_eigenvalue);
    const double exponent = (-form) * 0.5 - w.norm - 0.5 * (log_det + w.rest_log_var[depth]);
    const double bound = (depth > 0 ? w.missing_bound[r] : w.all_missing_bound) * std::exp(exponent);
    // Every term is positive, so the running sum bounds the pair's score from below.
    if (exponent < zero_exponent || (w.sum > 0.0 && bound <= w.share_per_completion * w.sum)) {
        w.counts.skipped += w.completions[depth];
        return true;
    }
    return false;
}

namespace {

// Lower bounds of the conditional variance of each atom given any other
// atoms: its variance given all the others, 1 / (Σ⁻¹)[a][a] of the type's
// whole covariance. False when that covariance is not positive definite.
bool conditional_variances(row_walk_t &w, std::vector<double> &variance) {
    const int m = w.s->H_num + w.s->C_num + w.s->N_num;
    matrix_t<double> C, inv;
    allocate_matrix(C, m, m, "(C)", "(C)[0]", __LINE__, __func__);
    allocate_matrix(inv, m, m, "(inv)", "(inv)[0]", __LINE__, __func__);
    for (int a = 0; a < m; a++)
        for (int b = 0; b < m; b++) C[a][b] = w.pair_cov[a][b];
    // Gershgorin: no eigenvalue of the correlations exceeds their largest row sum of magnitudes.
    for (int a = 0; a < m; a++) {
        double row_sum = 0.0;
        for (int b = 0; b < m; b++) row_sum += std::fabs(C[a][b]) / std::sqrt(C[a][a] * C[b][b]);
        w.largest_eigenvalue = std::max(w.largest_eigenvalue, row_sum);
    }
    // Cholesky, then the inverse's diagonal from L⁻¹.
    for (int r = 0; r < m; r++) {
        for (int j = 0; j <= r; j++) {
            double sum = C[r][j];
            for (int k = 0; k < j; k++) sum -= C[r][k] * C[j][k];
            if (j < r) {
                C[r][j] = sum / C[j][j];
            } else {
                // As in the walk, a pivot lost in the rounding of its
                // variance counts as singular: that type's attachments are
                // all visited, and the singular ones reported.
                if (!(sum > 1e-10 * C[r][r]) || !std::isfinite(sum)) return false;
                C[r][r] = std::sqrt(sum);
            }
        }
    }
    for (int c = 0; c < m; c++)
        for (int r = 0; r < m; r++) {
            double sum = r == c ? 1.0 : 0.0;
            for (int k = c; k < r; k++) sum -= C[r][k] * inv[k][c];
            inv[r][c] = r < c ? 0.0 : sum / C[r][r];
        }
    variance.assign(m, 0.0);
    for (int a = 0; a < m; a++) {
        double diagonal = 0.0;
        for (int r = a; r < m; r++) diagonal += inv[r][a] * inv[r][a];
        variance[a] = 1.0 / diagonal;
        if (!(variance[a] > 0.0) || !std::isfinite(variance[a])) return false;
    }
    return true;
}

// Least sum of squared z-scores of all the rows of one nucleus over distinct atoms.
double nucleus_least_z2(const row_walk_t &w, int first_row) {
    const nucleus_t &x = w.blocks[w.nucleus[first_row]];
    std::vector<double> cost;
    int rows = 0;
    for (int j = first_row; j < w.n && w.nucleus[j] == w.nucleus[first_row]; j++, rows++)
        for (int a = x.first; a < x.first + x.atoms; a++) cost.push_back(w.row_z2[j * w.used.size() + a]);
    return least_assignment_cost(cost, rows, x.atoms);
}

}  // namespace

// Orders the nuclei by the least squared z-scores of their shifts over
// distinct atoms, largest first: the walk meets the rows that rule out most
// attachments first, where skipping saves most.
void worst_nucleus_first(const row_walk_t &w, int order[NUCLEI]) {
    double least[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        const nucleus_t &x = w.blocks[k];
        std::vector<double> cost;
        for (int i = 0; i < x.shifts; i++)
            for (int a = x.first; a < x.first + x.atoms; a++) {
                const double residual = x.values[i] - w.s->mean[a];
                cost.push_back(residual * residual / w.s->cov[a][a]);
                if (!std::isfinite(cost.back())) return;  // keep the plain order
            }
        least[k] = x.shifts > 0 ? least_assignment_cost(cost, x.shifts, x.atoms) : 0.0;
    }
    std::stable_sort(order, order + NUCLEI, [&](int a, int b) { return least[a] > least[b]; });
}

// Skipping needs every term to be positive and bounded: missing rates within
// [0, 1], finite statistics and shifts, and a positive definite covariance.
void prepare_skipping(row_walk_t &w) {
    const int m = w.s->H_num + w.s->C_num + w.s->N_num;
    for (int a = 0; a < m; a++)
        if (!(w.s->miss[a] >= 0.0 && w.s->miss[a] <= 1.0) || !std::isfinite(w.s->mean[a])) return;
    for (const double x : w.x)
        if (!std::isfinite(x)) return;
    std::vector<double> variance;
    if (!conditional_variances(w, variance)) return;

    double smallest[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        smallest[k] = HUGE_VAL;
        for (int j = 0; j < w.blocks[k].atoms; j++) smallest[k] = std::min(smallest[k], variance[w.blocks[k].first + j]);
    }
    // Per depth (rows assigned): completions below, and bounds for the rows below.
    allocate_vector(w.row_z2, static_cast<std::size_t>(w.n) * m, "row_z2", __LINE__, __func__);
    for (int r = 0; r < w.n; r++) {
        const nucleus_t &x = w.blocks[w.nucleus[r]];
        for (int a = x.first; a < x.first + x.atoms; a++) {
            const double residual = w.x[r] - w.s->mean[a];
            const double z2 = residual * residual / w.s->cov[a][a];
            if (!std::isfinite(z2)) return;  // a shift too far for the bounds' arithmetic
            w.row_z2[static_cast<std::size_t>(r) * m + a] = z2;
        }
    }
    w.completions.assign(w.n + 1, 1.0);
    w.rest_log_var.assign(w.n + 1, 0.0);
    w.later_z2.assign(w.n + 1, 0.0);
    int taken[NUCLEI] = {0, 0, 0};
    std::vector<double> choices(w.n);
    for (int r = 0; r < w.n; r++) choices[r] = w.blocks[w.nucleus[r]].atoms - taken[w.nucleus[r]]++;
    double later = 0.0;  // rows of nuclei after the one of the current depth
    for (int depth = w.n - 1; depth >= 0; depth--) {
        const int k = w.nucleus[depth];
        if (depth + 1 < w.n && w.nucleus[depth + 1] != k) later = w.later_z2[depth + 1] + nucleus_least_z2(w, depth + 1);
        w.later_z2[depth] = later;
        w.completions[depth] = w.completions[depth + 1] * choices[depth];
        w.rest_log_var[depth] = w.rest_log_var[depth + 1] + std::log(smallest[k]);
    }
    const double total = w.completions[0];
    w.seen_ratio.assign(m, 0.0);
    for (int a = 0; a < m; a++) {
        const double largest = std::max(w.s->miss[a], 1.0 - w.s->miss[a]);
        w.all_missing_bound *= largest;
        w.seen_ratio[a] = (1.0 - w.s->miss[a]) / largest;
    }
    allocate_vector(w.missing_bound, w.n, "missing_bound", __LINE__, __func__);
    w.share_per_completion = skip_budget / total;
    w.skipping = true;
}
