// SPDX-License-Identifier: GPL-3.0-or-later
// The MVND row walk: incremental Cholesky rows over the candidate atoms of
// each shift, and the general decomposition where a covariance is not
// positive definite.
#include "engines/row_walk.h"

#include <algorithm>
#include <cmath>

#include "engines/walk_state.h"
#include "input/failure.h"
#include "linalg/density.h"
#include "linalg/lu.h"

namespace {

// Covariance between two type positions as the model's work matrix takes it
// for a later row's atom a and an earlier row's atom b: between nuclei the
// element of the later nucleus' atom; within a nucleus the element of the
// earlier shift's atom (selected permutations) or of the smaller atom (full).
double model_covariance(const stat_data_t &s, mvnd_model_t model, int a, int b) {
    auto nucleus_of = [&](int t) { return t < s.H_num ? 0 : t < s.H_num + s.C_num ? 1 : 2; };
    if (nucleus_of(a) != nucleus_of(b)) return nucleus_of(a) > nucleus_of(b) ? s.cov[a][b] : s.cov[b][a];
    if (model == SELECTED_PERMUTATIONS) return s.cov[b][a];
    return s.cov[std::min(a, b)][std::max(a, b)];
}

double dot(const double *a, const double *b, int n) {
    double sum = 0.0;
    for (int k = 0; k < n; k++) sum += a[k] * b[k];
    return sum;
}

// Completes row r with its atom's cached solve; false when the rows so far
// are not clearly positive definite. A pivot lost in the rounding of its
// atom's variance is left to the general decomposition, which reports a
// singular matrix where the rows are.
bool factor_row(row_walk_t &w, int r) {
    const int a = w.atom[r];
    const double pivot = w.s->cov[a][a] - w.solved2[r][a];
    if (!(pivot > 1e-10 * w.s->cov[a][a])) return false;
    w.diagonal[r] = std::sqrt(pivot);
    w.z[r] = (w.x[r] - w.s->mean[a] - w.solved_z[r][a]) / w.diagonal[r];
    w.q[r] = (r > 0 ? w.q[r - 1] : 0.0) + w.z[r] * w.z[r];
    w.log_det[r] = (r > 0 ? w.log_det[r - 1] : 0.0) + std::log(pivot);
    if (w.skipping) {
        w.missing_bound[r] = (r > 0 ? w.missing_bound[r - 1] : w.all_missing_bound) * w.seen_ratio[a];
        w.z2[r] = (r > 0 ? w.z2[r - 1] : 0.0) + w.row_z2[static_cast<std::size_t>(r) * w.used.size() + a];
    }
    return true;
}

// Extends the solves of the atoms that may take a later row by row r.
void extend_solves(row_walk_t &w, int r) {
    const int a = w.atom[r];
    const double *La = w.solved[a];
    for (const int b : w.later_atoms[r]) {
        if (w.used[b]) continue;
        double *Lb = w.solved[b];
        Lb[r] = (w.pair_cov[b][a] - dot(Lb, La, r)) / w.diagonal[r];
        w.solved2[r + 1][b] = w.solved2[r][b] + Lb[r] * Lb[r];
        w.solved_z[r + 1][b] = w.solved_z[r][b] + Lb[r] * w.z[r];
    }
}

}  // namespace

double nucleus_missing_rate(const row_walk_t &w, int k) {
    const nucleus_t &x = w.blocks[k];
    return missing_rate_factor(*w.s, x, [&](int j) { return w.used[x.first + j] != 0; });
}

namespace {

double term(const row_walk_t &w, double density) {
    if (w.model == FULL_PERMUTATIONS)
        return w.missing[H_NUCLEUS] * w.missing[C_NUCLEUS] * w.missing[N_NUCLEUS] * density;
    return density * (w.missing[N_NUCLEUS] * (w.missing[H_NUCLEUS] * w.missing[C_NUCLEUS]));
}

// A completed attachment whose rows are positive definite.
void add_factored_attachment(row_walk_t &w) {
    const double d = w.q[w.n - 1], hl = 0.5 * w.log_det[w.n - 1];
    w.sum += term(w, std::exp(((-d) * 0.5 - w.norm) - hl));
    w.counts.visited++;
}

// A completed attachment decomposed in general, with the rows laid out as
// the model's own work matrix has them (nucleus by nucleus; within one, by
// atom for full permutations, by shift for selected ones), so that the
// decomposition meets the same pivots, a singular matrix included. A negative
// quadratic form is taken as -d with the log-determinant's half negated.
void add_general_attachment(row_walk_t &w) {
    std::vector<int> &order = w.general_order;
    for (int r = 0; r < w.n; r++) order[r] = r;
    auto key = [&](int r) { return w.model == FULL_PERMUTATIONS ? w.atom[r] : w.shift[r]; };
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return w.nucleus[a] != w.nucleus[b] ? w.nucleus[a] < w.nucleus[b] : key(a) < key(b);
    });
    for (int i = 0; i < w.n; i++) {
        const int r = order[i], a = w.atom[r];
        w.values[i] = w.x[r];
        w.means[i] = w.s->mean[a];
        w.cov[i][i] = w.s->cov[a][a];
        for (int j = 0; j < i; j++) w.cov[i][j] = w.cov[j][i] = w.pair_cov[a][w.atom[order[j]]];
    }
    double hl = 0.5 * lu_matrix_log_determinant(w.cov, w.n);
    lu_decomposition_mat_inv(w.cov, w.n, w.inv_cov);
    double d = mahalanobis(w.values.data(), w.means.data(), w.inv_cov, w.n);
    if (d < 0) {
        d = -d;
        hl = -hl;
    }
    for (int k = 0; k < NUCLEI; k++) w.missing[k] = nucleus_missing_rate(w, k);
    w.sum += term(w, std::exp(((-d) * 0.5 - w.norm) - hl));
    w.counts.visited++;
}

void visit_general(row_walk_t &w, int r) {
    if (r == w.n) {
        add_general_attachment(w);
        return;
    }
    for (const int a : *w.candidates[r]) {
        if (w.used[a]) continue;
        w.atom[r] = a;
        w.used[a] = 1;
        visit_general(w, r + 1);
        w.used[a] = 0;
    }
}

void visit(row_walk_t &w, int r) {
    for (const int a : *w.candidates[r]) {
        if (w.used[a]) continue;
        w.atom[r] = a;
        w.used[a] = 1;
        if (!factor_row(w, r)) {
            visit_general(w, r + 1);
        } else {
            if (w.last_of_nucleus[r]) w.missing[w.nucleus[r]] = nucleus_missing_rate(w, w.nucleus[r]);
            if (r == w.n - 1) {
                add_factored_attachment(w);
            } else if (!may_skip(w, r + 1)) {
                extend_solves(w, r);
                visit(w, r + 1);
            }
        }
        w.used[a] = 0;
    }
}

bool symmetric(const stat_data_t &s) {
    const int atoms = s.H_num + s.C_num + s.N_num;
    for (int a = 0; a < atoms; a++)
        for (int b = 0; b < a; b++)
            if (!(s.cov[a][b] == s.cov[b][a])) return false;
    return true;
}

// Puts the rows in walk order, nucleus by nucleus, the worst nucleus first
// for full permutations. For selected permutations the rows with fewest
// candidates go first, so that the walk branches near its leaves and shares
// the rows above them; within a nucleus the covariance then no longer
// follows the shift order, which only a symmetric covariance allows.
void lay_out_rows(row_walk_t &w, const row_candidates_t candidates[NUCLEI]) {
    int order[NUCLEI] = {H_NUCLEUS, C_NUCLEUS, N_NUCLEUS};
    if (w.model == FULL_PERMUTATIONS) worst_nucleus_first(w, order);
    struct row_t {
        int nucleus, shift;
    };
    std::vector<row_t> rows;
    for (const int k : order) {
        w.missing[k] = nucleus_missing_rate(w, k);  // nuclei without rows keep it
        for (int i = 0; i < w.blocks[k].shifts; i++) rows.push_back({k, i});
    }
    auto fewer_candidates = [&](const row_t &a, const row_t &b) {
        return candidates[a.nucleus][a.shift].size() < candidates[b.nucleus][b.shift].size();
    };
    if (w.model == SELECTED_PERMUTATIONS && symmetric(*w.s))
        std::stable_sort(rows.begin(), rows.end(), fewer_candidates);
    for (int r = 0; r < w.n; r++) {
        const row_t &row = rows[r];
        w.nucleus[r] = row.nucleus;
        w.x[r] = w.blocks[row.nucleus].values[row.shift];
        w.shift[r] = row.shift;
        w.candidates[r] = &candidates[row.nucleus][row.shift];
        w.last_of_nucleus[r] = 1;
        for (int j = 0; j < r; j++)
            if (w.nucleus[j] == row.nucleus) w.last_of_nucleus[j] = 0;
    }
}

}  // namespace

double mvnd_attachment_sum(const value_data_t &v, const stat_data_t &s, mvnd_model_t model,
                           const row_candidates_t candidates[NUCLEI], walk_counts_t *counts) {
    row_walk_t w;
    w.s = &s;
    w.model = model;
    w.n = v.total_num;
    nuclei_of(v, s, w.blocks);
    const int n = w.n;
    allocate_vector(w.nucleus, n, "nucleus", __LINE__, __func__);
    allocate_vector(w.last_of_nucleus, n, "last_of_nucleus", __LINE__, __func__);
    allocate_vector(w.x, n, "x", __LINE__, __func__);
    allocate_vector(w.shift, n, "shift", __LINE__, __func__);
    allocate_vector(w.candidates, n, "candidates", __LINE__, __func__);
    const int atoms = s.H_num + s.C_num + s.N_num;
    allocate_vector(w.used, atoms, "used", __LINE__, __func__);
    allocate_matrix(w.pair_cov, atoms, atoms, "(pair_cov)", "(pair_cov)[0]", __LINE__, __func__);
    for (int a = 0; a < atoms; a++)
        for (int b = 0; b < atoms; b++) w.pair_cov[a][b] = model_covariance(s, model, a, b);
    lay_out_rows(w, candidates);
    w.norm = (n * std::log(6.283185307179586)) * 0.5;
    allocate_vector(w.atom, n, "atom", __LINE__, __func__);
    allocate_matrix(w.solved, atoms, n, "(solved)", "(solved)[0]", __LINE__, __func__);
    allocate_matrix(w.solved2, n + 1, atoms, "(solved2)", "(solved2)[0]", __LINE__, __func__);
    allocate_matrix(w.solved_z, n + 1, atoms, "(solved_z)", "(solved_z)[0]", __LINE__, __func__);
    allocate_vector(w.diagonal, n, "diagonal", __LINE__, __func__);
    allocate_vector(w.later_atoms, n, "later_atoms", __LINE__, __func__);
    for (int r = n - 2; r >= 0; r--) {
        std::vector<int> &later = w.later_atoms[r];
        later = w.later_atoms[r + 1];
        later.insert(later.end(), w.candidates[r + 1]->begin(), w.candidates[r + 1]->end());
        std::sort(later.begin(), later.end());
        later.erase(std::unique(later.begin(), later.end()), later.end());
    }
    allocate_vector(w.z, n, "z", __LINE__, __func__);
    allocate_vector(w.q, n, "q", __LINE__, __func__);
    allocate_vector(w.log_det, n, "log_det", __LINE__, __func__);
    allocate_vector(w.z2, n, "z2", __LINE__, __func__);
    allocate_matrix(w.cov, n, n, "(cov)", "(cov)[0]", __LINE__, __func__);
    allocate_matrix(w.inv_cov, n, n, "(inv_cov)", "(inv_cov)[0]", __LINE__, __func__);
    allocate_vector(w.means, n, "means", __LINE__, __func__);
    allocate_vector(w.values, n, "values", __LINE__, __func__);
    allocate_vector(w.general_order, n, "general_order", __LINE__, __func__);
    if (model == FULL_PERMUTATIONS) prepare_skipping(w);

    if (!may_skip(w, 0)) visit(w, 0);
    if (counts != nullptr) *counts = w.counts;
    return w.sum;
}
