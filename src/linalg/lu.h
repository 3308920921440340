// SPDX-License-Identifier: GPL-3.0-or-later
// LU decomposition with partial pivoting, and the determinant, signed
// log-determinant, inverse and substitution built on it.
#pragma once

#include <cstdio>

#include "input/matrix.h"

// P × A = L × U with rows never moved: row a of P × A is row index[a] of A,
// and L and U are packed in lu_mat at rows index[a]. A singular matrix (a
// zero pivot) ends the run.
void lu_matrix_decomposition(const matrix_t<double> &A, int n, int *index, double &parity, matrix_t<double> &lu_mat);

// Solves L × U × x = b in place; b is not permuted.
void lu_forward_backsubstitution(const matrix_t<double> &lu_mat, const int *index, int n, double *b);

double lu_matrix_determinant(const matrix_t<double> &A, int n);

// sign(det A) × ln |det A|.
double lu_matrix_log_determinant(const matrix_t<double> &A, int n);

// Writes every element of inverse, which needs valid rows of order n.
void lu_decomposition_mat_inv(const matrix_t<double> &A, int n, matrix_t<double> &inverse);

// The matrix on one line as an Octave literal.
void print_octave_matrix(FILE *stream, const matrix_t<double> &M, int n);
