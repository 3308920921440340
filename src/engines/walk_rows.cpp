// SPDX-License-Identifier: GPL-3.0-or-later
// Layout of the rows of one pair's MVND walk.
#include "engines/walk_rows.h"

#include <algorithm>
#include <cmath>

#include "engines/least_cost_assignment.h"
#include "input/failure.h"
#include "linalg/thresholds.h"

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

// Orders the nuclei by the attachments of their own shifts, fewest first,
// ties by the least sum of squared z-scores of their shifts over distinct
// atoms, largest first. A nucleus with few attachments high in the walk
// costs few nodes, and the bounds skip the large nucleus below each of its
// poor attachments at once; the other way round, every attachment of the
// large nucleus would try each atom of the small one before skipping it.
void fewest_attachments_first(const nucleus_t blocks[NUCLEI], const stat_data_t &s, int order[NUCLEI]) {
    double attachments[NUCLEI], least[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        const nucleus_t &x = blocks[k];
        attachments[k] = 1.0;
        for (int i = 0; i < x.shifts; i++) attachments[k] *= x.atoms - i;
        std::vector<double> cost;
        bool finite = true;
        for (int i = 0; i < x.shifts; i++)
            for (int a = x.first; a < x.first + x.atoms; a++) {
                const double residual = x.values[i] - s.mean[a];
                cost.push_back(residual * residual / s.cov[a][a]);
                finite = finite && std::isfinite(cost.back());
            }
        least[k] = x.shifts > 0 && finite ? least_cost_assignment(cost, x.shifts, x.atoms) : 0.0;
    }
    std::stable_sort(order, order + NUCLEI, [&](int a, int b) {
        return attachments[a] != attachments[b] ? attachments[a] < attachments[b] : least[a] > least[b];
    });
}

// One shift of the pair, as a row of the walk.
struct row_t {
    int nucleus;  // its nucleus
    int shift;    // its index among the nucleus' shifts
};

// Atoms of the shift's nucleus whose mean lies within three standard
// deviations of it.
int close_atoms(const nucleus_t &x, const stat_data_t &s, int shift) {
    int count = 0;
    for (int a = x.first; a < x.first + x.atoms; a++) {
        const double residual = x.values[shift] - s.mean[a];
        if (residual * residual < 9.0 * s.cov[a][a]) count++;
    }
    return count;
}

// Within each nucleus (the rows of one nucleus follow each other), the
// shifts with the fewest close atoms first: the walk branches least near
// its root and meets the shifts that rule out most attachments early.
void most_constrained_first(const nucleus_t blocks[NUCLEI], const stat_data_t &s, std::vector<row_t> &layout) {
    for (auto from = layout.begin(); from != layout.end();) {
        const auto to = std::find_if(from, layout.end(), [&](const row_t &r) { return r.nucleus != from->nucleus; });
        std::vector<int> close(blocks[from->nucleus].shifts);
        for (auto r = from; r != to; ++r) close[r->shift] = close_atoms(blocks[r->nucleus], s, r->shift);
        std::stable_sort(from, to, [&](const row_t &a, const row_t &b) { return close[a.shift] < close[b.shift]; });
        from = to;
    }
}

}  // namespace

void equal_shifts(walk_rows_t &rows) {
    const int n = rows.n;
    rows.same_before.assign(n, -1);
    rows.repeats = 1.0;
    if (rows.model == SELECTED_PERMUTATIONS && !rows.type->symmetric) return;
    for (int r = 0; r < n; r++) {
        int group = 1;  // rows of the group up to r
        for (int p = r - 1; p >= 0; p--) {
            if (rows.nucleus[p] != rows.nucleus[r] || !(rows.x[p] == rows.x[r]) ||
                rows.candidates[p] != rows.candidates[r])
                continue;
            if (rows.same_before[r] < 0) rows.same_before[r] = p;
            group++;
        }
        rows.repeats *= group;
    }
}

bool symmetric_covariance(const stat_data_t &s) {
    const int atoms = s.H_num + s.C_num + s.N_num;
    for (int a = 0; a < atoms; a++)
        for (int b = 0; b < a; b++)
            if (!(s.cov[a][b] == s.cov[b][a])) return false;
    return true;
}

void prepare_walk_type(const stat_data_t &s, mvnd_model_t model, walk_type_t &type) {
    type.s = &s;
    type.model = model;
    const int m = type.atoms = s.H_num + s.C_num + s.N_num;
    type.symmetric = symmetric_covariance(s);
    allocate_vector(type.nucleus_of, m, "nucleus_of", __LINE__, __func__);
    allocate_vector(type.mean, m, "mean", __LINE__, __func__);
    allocate_vector(type.variance, m, "variance", __LINE__, __func__);
    allocate_matrix(type.pair_cov, m, m, "(pair_cov)", "(pair_cov)[0]", __LINE__, __func__);
    allocate_matrix(type.cov_after, m, m, "(cov_after)", "(cov_after)[0]", __LINE__, __func__);
    for (int a = 0; a < m; a++) {
        type.nucleus_of[a] = a < s.H_num ? H_NUCLEUS : a < s.H_num + s.C_num ? C_NUCLEUS : N_NUCLEUS;
        type.mean[a] = s.mean[a];
        type.variance[a] = s.cov[a][a];
        for (int b = 0; b < m; b++) type.pair_cov[a][b] = model_covariance(s, model, a, b);
    }
    for (int a = 0; a < m; a++)
        for (int b = 0; b < m; b++) type.cov_after[b][a] = type.pair_cov[a][b];
}

void lay_out_walk_rows(const value_data_t &v, const walk_type_t &type, const row_candidates_t candidates[NUCLEI],
                       walk_rows_t &rows) {
    const stat_data_t &s = *type.s;
    const mvnd_model_t model = type.model;
    rows.type = &type;
    rows.s = &s;
    rows.model = model;
    rows.n = v.total_num;
    rows.atoms = type.atoms;
    nuclei_of(v, s, rows.blocks);
    const int n = rows.n, m = rows.atoms;
    rows.norm = (n * std::log(two_pi)) * 0.5;

    int order[NUCLEI] = {H_NUCLEUS, C_NUCLEUS, N_NUCLEUS};
    if (model == FULL_PERMUTATIONS) fewest_attachments_first(rows.blocks, s, order);
    std::vector<row_t> layout;
    for (const int k : order)
        for (int i = 0; i < rows.blocks[k].shifts; i++) layout.push_back({k, i});
    // Within a nucleus the covariance then no longer follows the shift order,
    // which only a symmetric covariance allows.
    auto fewer_candidates = [&](const row_t &a, const row_t &b) {
        return candidates[a.nucleus][a.shift].size() < candidates[b.nucleus][b.shift].size();
    };
    if (model == SELECTED_PERMUTATIONS && type.symmetric)
        std::stable_sort(layout.begin(), layout.end(), fewer_candidates);
    if (model == FULL_PERMUTATIONS) most_constrained_first(rows.blocks, s, layout);

    allocate_vector(rows.nucleus, n, "nucleus", __LINE__, __func__);
    allocate_vector(rows.shift, n, "shift", __LINE__, __func__);
    allocate_vector(rows.last_of_nucleus, n, "last_of_nucleus", __LINE__, __func__);
    allocate_vector(rows.x, n, "x", __LINE__, __func__);
    allocate_vector(rows.candidates, n, "candidates", __LINE__, __func__);
    for (int r = 0; r < n; r++) {
        const int k = layout[r].nucleus;
        rows.nucleus[r] = k;
        rows.shift[r] = layout[r].shift;
        rows.x[r] = rows.blocks[k].values[layout[r].shift];
        rows.candidates[r] = candidates[k][layout[r].shift];
        rows.rows_of[k].push_back(r);
    }
    for (int k = 0; k < NUCLEI; k++)
        if (!rows.rows_of[k].empty()) rows.last_of_nucleus[rows.rows_of[k].back()] = 1;
    equal_shifts(rows);
    allocate_matrix(rows.first_from, n + 1, NUCLEI, "(first_from)", "(first_from)[0]", __LINE__, __func__);
    for (int d = 0; d <= n; d++)
        for (int k = 0; k < NUCLEI; k++) {
            const std::vector<int> &of = rows.rows_of[k];
            rows.first_from[d][k] = static_cast<int>(std::lower_bound(of.begin(), of.end(), d) - of.begin());
        }
    allocate_matrix(rows.wanted_after, n, m, "(wanted_after)", "(wanted_after)[0]", __LINE__, __func__);
    for (int r = n - 2; r >= 0; r--) {
        for (int a = 0; a < m; a++) rows.wanted_after[r][a] = rows.wanted_after[r + 1][a];
        for (const int a : rows.candidates[r + 1]) rows.wanted_after[r][a] = 1;
    }
}
