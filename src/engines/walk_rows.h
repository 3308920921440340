// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of one pair's MVND walk in walking order, and everything a path
// through them reads: shifts, candidates, means and covariances. Set up once
// per pair and read-only afterwards, so that parts of one walk can run in
// parallel on it.
#pragma once

#include <vector>

#include "engines/row_walk.h"
#include "input/matrix.h"

// A row is one shift of the spin system; it takes one atom (a type
// position) among its candidates. Row r is the r-th the walk takes.
struct walk_rows_t {
    const stat_data_t *s = nullptr;          // the type
    mvnd_model_t model = FULL_PERMUTATIONS;
    int n = 0;                               // rows: the pair's shifts
    int atoms = 0;                           // the type's atoms
    nucleus_t blocks[NUCLEI];                // the pair's H, C and N nuclei
    std::vector<int> nucleus;                // nucleus of each row
    std::vector<int> shift;                  // index of each row's shift among its nucleus' shifts
    std::vector<char> last_of_nucleus;       // 1 for the last row of its nucleus
    std::vector<double> x;                   // shift of each row, ppm
    std::vector<std::vector<int>> candidates;  // atoms each row may take, in visiting order
    matrix_t<char> wanted_after;             // n × atoms: [r][a] is 1 when a row after r may take atom a
    std::vector<int> rows_of[NUCLEI];        // rows of each nucleus, increasing
    matrix_t<int> first_from;                // (n + 1) × NUCLEI: [d][k] the place in rows_of[k] of its first row >= d
    std::vector<int> nucleus_of;             // nucleus of each atom
    std::vector<double> mean;                // mean shift of each atom, ppm
    std::vector<double> variance;            // variance of each atom, ppm²
    matrix_t<double> pair_cov;               // [a][b]: covariance the work matrix takes between a later
                                             // row's atom a and an earlier row's atom b, ppm²
    matrix_t<double> cov_after;              // [b][a] = pair_cov[a][b], so that a step reads one row of it
    double norm = 0.0;                       // 0.5 × n × ln(2π)
};

// Lays out the pair's rows nucleus by nucleus: for full permutations the
// nucleus whose shifts fit its atoms worst first, so that the walk meets the
// rows that rule out most attachments first; for selected permutations with
// a symmetric covariance the rows with fewest candidates first, so that the
// walk branches near its leaves and shares the rows above them.
void lay_out_walk_rows(const value_data_t &v, const stat_data_t &s, mvnd_model_t model,
                       const row_candidates_t candidates[NUCLEI], walk_rows_t &rows);

// True when the type's covariance equals its transpose.
bool symmetric_covariance(const stat_data_t &s);
