// SPDX-License-Identifier: GPL-3.0-or-later
// MVND work storage: filling rows, factoring the covariance, the density.
#include "reference/mvnd_work.h"

#include <cmath>

#include "input/failure.h"
#include "linalg/density.h"
#include "linalg/lu.h"

namespace reference {

void alloc_mvnd_work(mvnd_work_t &work, int n, const char *function) {
    work.n = n;
    const int line = __LINE__;
    allocate_vector(work.values, n, "values", line, function);
    allocate_vector(work.means, n, "means", line, function);
    allocate_matrix(work.cov, n, n, "(cov)", "(cov)[0]", line, function);
    allocate_matrix(work.inv_cov, n, n, "(inv_cov)", "(inv_cov)[0]", line, function);
    allocate_vector(work.row_atom, n, "row_atom", line, function);
    work.norm = (n * std::log(6.283185307179586)) * 0.5;
}

void place_rows(mvnd_work_t &work, const stat_data_t &s, int first_row, int count, const int *atoms) {
    for (int i = 0; i < count; i++) {
        const int r = first_row + i, a = atoms[i];
        work.row_atom[r] = a;
        work.means[r] = s.mean[a];
        work.cov[r][r] = s.cov[a][a];
        for (int h = 0; h < first_row; h++) work.cov[r][h] = work.cov[h][r] = s.cov[a][work.row_atom[h]];
    }
    for (int i = 0; i < count; i++)
        for (int j = i + 1; j < count; j++) {
            const int r = first_row + i, c = first_row + j;
            work.cov[r][c] = work.cov[c][r] = s.cov[atoms[i]][atoms[j]];
        }
}

double factor_cov(mvnd_work_t &work) {
    const double hl = 0.5 * lu_matrix_log_determinant(work.cov, work.n);
    lu_decomposition_mat_inv(work.cov, work.n, work.inv_cov);
    return hl;
}

double mvnd_density(const mvnd_work_t &work, double hl) {
    double d = mahalanobis(work.values.data(), work.means.data(), work.inv_cov, work.n);
    if (d < 0) {
        d = -d;
        hl = -hl;
    }
    return std::exp(((-d) * 0.5 - work.norm) - hl);
}

}  // namespace reference
