// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of one pair's MVND walk in walking order, and everything a path
// through them reads: shifts, candidates, means and covariances. Set up once
// per pair and read-only afterwards, so that parts of one walk can run in
// parallel on it.
#pragma once

#include <vector>

#include "engines/factors.h"
#include "engines/walk_terms.h"
#include "input/matrix.h"

// What a walk reads of its type, the same for every spin system: set up once
// per type and model and shared, read-only, by the walks of all its pairs.
struct walk_type_t {
    const stat_data_t *s = nullptr;          // the type
    mvnd_model_t model = FULL_PERMUTATIONS;
    int atoms = 0;                           // the type's atoms
    bool symmetric = false;                  // the covariance equals its transpose
    std::vector<int> nucleus_of;             // nucleus of each atom
    std::vector<double> mean;                // mean shift of each atom, ppm
    std::vector<double> variance;            // variance of each atom, ppm²
    matrix_t<double> pair_cov;               // [a][b]: covariance the work matrix takes between a later
                                             // row's atom a and an earlier row's atom b, ppm²
    matrix_t<double> cov_after;              // [b][a] = pair_cov[a][b], so that a step reads one row of it
};

// Sets up what the walks of the type read under the model.
void prepare_walk_type(const stat_data_t &s, mvnd_model_t model, walk_type_t &type);

// A row is one shift of the spin system; it takes one atom (a type
// position) among its candidates. Row r is the r-th the walk takes.
struct walk_rows_t {
    const walk_type_t *type = nullptr;       // the type's atoms, means and covariances
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
    std::vector<int> same_before;            // per row: the last earlier row whose shift it may trade
                                             // atoms with, or -1 (see equal_shifts)
    double repeats = 1.0;                    // attachments each walked attachment stands for: Π k! over
                                             // the groups of k rows with one shift
    matrix_t<char> wanted_after;             // n × atoms: [r][a] is 1 when a row after r may take atom a
    std::vector<int> rows_of[NUCLEI];        // rows of each nucleus, increasing
    matrix_t<int> first_from;                // (n + 1) × NUCLEI: [d][k] the place in rows_of[k] of its first row >= d
    double norm = 0.0;                       // 0.5 × n × ln(2π)
};

// Lays out the pair's rows nucleus by nucleus: for full permutations the
// nucleus with the fewest attachments first and, within a nucleus, the
// shifts with the fewest close atoms first, so that the walk branches least
// where it is shallow; for selected permutations with
// a symmetric covariance the rows with fewest candidates first, so that the
// walk branches near its leaves and shares the rows above them.
void lay_out_walk_rows(const value_data_t &v, const walk_type_t &type, const row_candidates_t candidates[NUCLEI],
                       walk_rows_t &rows);

// Rows of one nucleus whose shifts are exactly equal (a spin system lists
// the two ring protons of a phenylalanine as 7.130 7.130) trade atoms
// without changing a term: the attachment gives the same atoms the same
// values, so the covariance, the quadratic form and the missing atoms are
// the same. The walk then takes only the attachments in which such rows
// hold increasing atoms, and each stands for the k! orders of every group
// of k. Only where nothing else tells the rows apart: the same candidates,
// and a work matrix that does not depend on the shift order (full
// permutations, or selected ones with a symmetric covariance).
void equal_shifts(walk_rows_t &rows);

// True when the type's covariance equals its transpose.
bool symmetric_covariance(const stat_data_t &s);
