// SPDX-License-Identifier: GPL-3.0-or-later
// LU decomposition (Doolittle, partial pivoting through an index) and its uses.
#include "linalg/lu.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "input/failure.h"

void lu_matrix_decomposition(const matrix_t<double> &A, int n, int *index, double &parity, matrix_t<double> &lu_mat) {
    if (n > 0) std::copy(A[0], A[0] + n * n, lu_mat[0]);
    parity = 1.0;
    for (int a = 0; a < n; a++) index[a] = a;

    for (int i = 0; i < n; i++) {
        double largest = std::fabs(lu_mat[index[i]][i]);
        for (int j = i + 1; j < n; j++) {
            const double magnitude = std::fabs(lu_mat[index[j]][i]);
            if (magnitude > largest) {
                std::swap(index[i], index[j]);
                parity = -parity;
                largest = magnitude;
            }
        }
        const double *q = lu_mat[index[i]];
        const double p = q[i];
        if (p == 0.0) fail("Error in lu_matrix_decomposition: singular matrix.\n");
        for (int j = i + 1; j < n; j++) {
            double *r = lu_mat[index[j]];
            r[i] = r[i] / p;
            for (int k = i + 1; k < n; k++) r[k] = r[k] - r[i] * q[k];
        }
    }
}

void lu_forward_backsubstitution(const matrix_t<double> &lu_mat, const int *index, int n, double *b) {
    for (int i = 0; i < n; i++) {
        const double *r = lu_mat[index[i]];
        double sum = b[i];
        for (int k = 0; k < i; k++) sum -= r[k] * b[k];
        b[i] = sum;
    }
    for (int i = n - 1; i >= 0; i--) {
        const double *r = lu_mat[index[i]];
        double sum = b[i];
        for (int k = i + 1; k < n; k++) sum -= r[k] * b[k];
        b[i] = sum / r[i];
    }
}

namespace {

// A fresh decomposition of A in work storage of its own.
struct decomposition_t {
    matrix_t<double> lu_mat;
    std::vector<int> index;
    double parity = 1.0;
};

}  // namespace

double lu_matrix_determinant(const matrix_t<double> &A, int n) {
    decomposition_t d;
    ALLOCATE_MATRIX(d.lu_mat, n, n, "lu_mat");
    ALLOCATE(d.index, n, "index");
    lu_matrix_decomposition(A, n, d.index.data(), d.parity, d.lu_mat);
    double determinant = d.parity;
    for (int a = 0; a < n; a++) determinant *= d.lu_mat[d.index[a]][a];
    return determinant;
}

double lu_matrix_log_determinant(const matrix_t<double> &A, int n) {
    decomposition_t d;
    ALLOCATE_MATRIX(d.lu_mat, n, n, "lu_mat");
    ALLOCATE(d.index, n, "index");
    lu_matrix_decomposition(A, n, d.index.data(), d.parity, d.lu_mat);
    double sum = 0.0, sign = d.parity;
    for (int a = 0; a < n; a++) {
        const double u = d.lu_mat[d.index[a]][a];
        if (u < 0) {
            sign *= -1.0;
            sum += std::log(-u);
        } else {
            sum += std::log(u);
        }
    }
    return sum * sign;
}

void lu_decomposition_mat_inv(const matrix_t<double> &A, int n, matrix_t<double> &inverse) {
    std::vector<double> col;
    decomposition_t d;
    ALLOCATE(col, n, "col");
    ALLOCATE(d.index, n, "index");
    ALLOCATE_MATRIX(d.lu_mat, n, n, "lu_mat");
    lu_matrix_decomposition(A, n, d.index.data(), d.parity, d.lu_mat);
    // The unit vector is not permuted, so its solution is column index[j].
    for (int j = 0; j < n; j++) {
        std::fill(col.begin(), col.end(), 0.0);
        col[j] = 1.0;
        lu_forward_backsubstitution(d.lu_mat, d.index.data(), n, col.data());
        for (int i = 0; i < n; i++) inverse[i][d.index[j]] = col[i];
    }
}

void print_octave_matrix(FILE *stream, const matrix_t<double> &M, int n) {
    fprintf(stream, "[");
    for (int i = 0; i < n; i++) {
        fprintf(stream, "[");
        for (int j = 0; j < n; j++) fprintf(stream, "%10.4g", M[i][j]);
        fprintf(stream, "];");
    }
    fprintf(stream, "]\n");
}
