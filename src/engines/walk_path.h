// SPDX-License-Identifier: GPL-3.0-or-later
// The state of one path through an MVND walk: which atom each row took and
// the Cholesky factor of those rows,
// carried from depth to depth; and the scratch of the general decomposition
// for rows that are not clearly positive definite. Each part of a walk that
// runs on its own thread has its own of both.
#pragma once

#include <cstddef>
#include <vector>

#include "engines/walk_rows.h"

// Depth d means rows 0 .. d - 1 hold atoms. The factor is kept per atom:
// factor[r][b] is the entry of row r in the factor's row for atom b, should
// b take a later row, for every atom b still free that a later row may take.
// gram holds, per depth, the inner products of those factor rows for every
// two such atoms, so that a step reads the products it needs instead of
// forming them again, and the work of a step shrinks with the atoms still free.
struct walk_path_t {
    int atoms = 0;                      // stride of the per-atom arrays
    std::vector<int> atom;              // atom each row took
    std::vector<char> used;             // 1 for each atom a row holds
    matrix_t<int> free;                 // (n + 1) × atoms: per depth, the free atoms a later row may take
    std::vector<int> free_count;        // per depth: how many
    matrix_t<double> factor;            // n × atoms: factor[r][b] as above
    std::vector<double> gram;           // (n + 1) × atoms × atoms: per depth d, Σ_{k<d} factor[k][a] × factor[k][b], ppm²
    matrix_t<double> gram_z;            // (n + 1) × atoms: per depth d, Σ_{k<d} factor[k][b] × z[k], ppm
    std::vector<double> diagonal;       // the factor's diagonal entry of each row, ppm
    std::vector<double> z;              // forward substitution of each row's shift minus its mean
    std::vector<double> q;              // partial quadratic form after each row
    std::vector<double> log_det;        // partial log-determinant after each row, ln ppm²
    std::vector<double> log_missing;    // per row: ln of the bound of the missing-rate product after it
    matrix_t<double> nucleus_missing;   // n × NUCLEI: per row, the same bound of each nucleus' product
    double missing[NUCLEI] = {1.0, 1.0, 1.0};  // missing-rate factor of each completed nucleus
    std::vector<double> given_mean;     // per atom, at the depth last extended: mean given the rows so far, ppm
    std::vector<double> given_inverse;  // per atom, likewise: 1 / variance given the rows so far, 1/ppm²
    std::vector<double> least;          // per row: scratch of the bounds

    double *gram_at(int depth) { return gram.data() + static_cast<std::size_t>(depth) * atoms * atoms; }
};

// Rows decomposed in general, laid out as the model's own work matrix has them.
struct general_scratch_t {
    matrix_t<double> cov, inv_cov;      // n × n covariances of the rows' atoms and their inverse, ppm²
    std::vector<double> values, means;  // shift and mean of each row of the work matrix, ppm
    std::vector<int> order;             // walk row of each row of the work matrix
};

// Sized for the rows, nothing taken yet, every atom a row may take free at
// depth 0 with its unconditional mean and variance; the missing-rate factors
// of nuclei without shifts are set, since no row completes them.
void allocate_walk_path(const walk_rows_t &rows, walk_path_t &path);

void allocate_general_scratch(int n, general_scratch_t &scratch);

// Missing-rate factor of nucleus k for the atoms the path holds.
double nucleus_missing_rate(const walk_rows_t &rows, const walk_path_t &path, int k);
