// SPDX-License-Identifier: GPL-3.0-or-later
// Allocation of a walk's path and general-decomposition scratch.
#include "engines/walk_path.h"

#include "input/failure.h"

void allocate_walk_path(const walk_rows_t &rows, walk_path_t &path) {
    const int n = rows.n, m = rows.atoms;
    path.atoms = m;
    allocate_vector(path.atom, n, "atom", __LINE__, __func__);
    allocate_vector(path.used, m, "used", __LINE__, __func__);
    allocate_matrix(path.free, n + 1, m, "(free)", "(free)[0]", __LINE__, __func__);
    allocate_vector(path.free_count, n + 1, "free_count", __LINE__, __func__);
    allocate_matrix(path.factor, n, m, "(factor)", "(factor)[0]", __LINE__, __func__);
    allocate_vector(path.gram, static_cast<std::size_t>(n + 1) * m * m, "gram", __LINE__, __func__);
    allocate_matrix(path.gram_z, n + 1, m, "(gram_z)", "(gram_z)[0]", __LINE__, __func__);
    allocate_vector(path.diagonal, n, "diagonal", __LINE__, __func__);
    allocate_vector(path.z, n, "z", __LINE__, __func__);
    allocate_vector(path.q, n, "q", __LINE__, __func__);
    allocate_vector(path.log_det, n, "log_det", __LINE__, __func__);
    allocate_vector(path.log_missing, n, "log_missing", __LINE__, __func__);
    allocate_matrix(path.nucleus_missing, n, NUCLEI, "(nucleus_missing)", "(nucleus_missing)[0]", __LINE__, __func__);
    allocate_vector(path.given_mean, m, "given_mean", __LINE__, __func__);
    allocate_vector(path.given_inverse, m, "given_inverse", __LINE__, __func__);
    allocate_vector(path.least, n, "least", __LINE__, __func__);
    int count = 0;
    for (int a = 0; a < m; a++) {
        bool wanted = false;
        for (int r = 0; r < n && !wanted; r++)
            for (const int b : rows.candidates[r]) wanted = wanted || b == a;
        if (!wanted) continue;
        path.free[0][count++] = a;
        path.given_mean[a] = rows.type->mean[a];
        path.given_inverse[a] = rows.type->variance[a] > 0.0 ? 1.0 / rows.type->variance[a] : 0.0;
    }
    path.free_count[0] = count;
    for (int k = 0; k < NUCLEI; k++) path.missing[k] = nucleus_missing_rate(rows, path, k);
}

void allocate_general_scratch(int n, general_scratch_t &scratch) {
    allocate_matrix(scratch.cov, n, n, "(cov)", "(cov)[0]", __LINE__, __func__);
    allocate_matrix(scratch.inv_cov, n, n, "(inv_cov)", "(inv_cov)[0]", __LINE__, __func__);
    allocate_vector(scratch.values, n, "values", __LINE__, __func__);
    allocate_vector(scratch.means, n, "means", __LINE__, __func__);
    allocate_vector(scratch.order, n, "order", __LINE__, __func__);
}

double nucleus_missing_rate(const walk_rows_t &rows, const walk_path_t &path, int k) {
    const nucleus_t &x = rows.blocks[k];
    return missing_rate_factor(*rows.s, x, [&](int j) { return path.used[x.first + j] != 0; });
}
