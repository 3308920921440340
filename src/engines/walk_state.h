// SPDX-License-Identifier: GPL-3.0-or-later
// State of the MVND row walk, shared by the walk itself and by the bounds
// that decide which of its subtrees may be skipped.
#pragma once

#include <vector>

#include "engines/row_walk.h"
#include "input/matrix.h"

struct row_walk_t {
    const stat_data_t *s = nullptr;      // the type
    mvnd_model_t model = FULL_PERMUTATIONS;
    int n = 0;                           // rows
    std::vector<int> nucleus;            // nucleus of each row
    std::vector<int> last_of_nucleus;    // 1 for the last row of its nucleus
    std::vector<double> x;               // shift of each row
    std::vector<int> shift;              // index of each row's shift among its nucleus' shifts
    std::vector<const std::vector<int> *> candidates;  // atoms each row may take
    nucleus_t blocks[NUCLEI];
    double norm = 0.0;                   // 0.5 × n × ln(2π)
    matrix_t<double> pair_cov;           // model_covariance of every pair of type positions

    // Current path. The Cholesky factor is kept per candidate atom: solved[b]
    // holds the forward solve, against the rows assigned so far, of atom b's
    // covariances with their atoms. It is the factor's row for b should b
    // take the next row, and grows by one entry per row, so a row costs one
    // entry for each atom that may still come instead of a whole solve.
    std::vector<int> atom;
    std::vector<char> used;              // per type position
    matrix_t<double> solved;             // atoms × n: partial forward solves
    matrix_t<double> solved2;            // (n + 1) × atoms: |solved[b]|² over the first `depth` rows
    matrix_t<double> solved_z;           // (n + 1) × atoms: solved[b] · z over the first `depth` rows
    std::vector<std::vector<int>> later_atoms;  // per row: candidates of the rows after it
    std::vector<double> diagonal;        // the factor's diagonal entry of each row
    std::vector<double> z;               // forward substitution of the shifts minus means
    std::vector<double> q;               // partial quadratic form after each row
    std::vector<double> log_det;         // partial log-determinant after each row
    std::vector<double> z2;              // partial sum of squared z-scores after each row
    double missing[NUCLEI] = {1.0, 1.0, 1.0};  // missing-rate factor of each completed nucleus

    // Skipping, full permutations only.
    bool skipping = false;
    std::vector<double> completions;     // attachments below a node with `depth` rows assigned, depth 0..n
    std::vector<double> rest_log_var;    // lower bound of the log-determinant of the rows below
    std::vector<double> row_z2;          // n × atoms: squared z-score of each row's shift at each type position
    std::vector<double> later_z2;        // per depth: least squared z-scores of the rows of later nuclei
    double largest_eigenvalue = 0.0;     // upper bound of the largest eigenvalue of the type's correlations
    std::vector<double> missing_bound;   // bound of the missing-rate product after each row
    std::vector<double> seen_ratio;      // (1 - miss) / max(miss, 1 - miss) per type position
    double all_missing_bound = 1.0;      // product of max(miss, 1 - miss) over the type's atoms
    double share_per_completion = 0.0;   // skip_budget / total attachments

    // General decomposition, for rows whose covariance is not positive definite.
    matrix_t<double> cov, inv_cov;
    std::vector<double> values, means;
    std::vector<int> general_order;      // walk row of each row of the work matrix

    double sum = 0.0;
    walk_counts_t counts;
};

// Covariance of row r's atom with row j's atom, j < r.
inline double covariance(const row_walk_t &w, int r, int j) { return w.pair_cov[w.atom[r]][w.atom[j]]; }

// Missing-rate factor of nucleus k for the atoms the path holds.
double nucleus_missing_rate(const row_walk_t &w, int k);

// Prepares the bounds of a full-permutation walk; leaves skipping off when
// a term could be negative or unbounded.
void prepare_skipping(row_walk_t &w);

// True when the subtree below the first `depth` rows may be skipped (and
// counts it as skipped).
bool may_skip(row_walk_t &w, int depth);

// Orders the nuclei for a full-permutation walk, the one whose shifts fit
// its atoms worst first.
void worst_nucleus_first(const row_walk_t &w, int order[NUCLEI]);
