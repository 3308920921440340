// SPDX-License-Identifier: GPL-3.0-or-later
// Bounds of the MVND walk: the most that any completion of a path can add to
// the pair's score, and the budget that decides when the subtree below the
// path may be skipped. walk_bounds.cpp derives them.
#pragma once

#include <vector>

#include "engines/walk_path.h"
#include "engines/walk_rows.h"

// What the bounds read of the type, the same for every spin system: set up
// once per type and model.
struct type_bounds_t {
    bool usable = false;                   // the missing rates lie in [0, 1], the means are finite and
                                           // the covariance is clearly positive definite (and, for
                                           // selected permutations, symmetric)
    std::vector<double> log_variance;      // per atom: ln of its variance given all the other atoms, ln ppm²
    std::vector<double> log_seen;          // per atom: ln(1 - miss)
    std::vector<double> log_unseen;        // per atom: ln(miss)
    std::vector<int> by_gain[NUCLEI];      // the atoms of each nucleus, the one that gains most by
                                           // being seen ((1 - miss) / miss largest) first
    std::vector<int> gain_rank;            // per atom: its place in by_gain of its nucleus
    double inverse_trace = 0.0;            // trace of the inverse of the correlations
};

// Set up once per pair, read-only during the walk.
struct walk_bounds_t {
    const type_bounds_t *type = nullptr;   // what they read of the type
    bool skipping = false;                 // false: every attachment is visited
    bool conditional = false;              // true: the bound uses the rows' conditional z-scores (full
                                           // permutations; selected walks are too short to pay for them)
    std::vector<double> completions;       // per depth d: attachments of rows d .. n - 1 below a node
                                           // (at most, for selected permutations)
    std::vector<double> log_completions;   // their logarithms
    std::vector<double> rest_log_variance; // per depth: least log-determinant rows d .. n - 1 add, ln ppm²
    double share = 0.0;                    // skip_budget / completions[0]: the budget of one completion
    double log_share = 0.0;                // its logarithm
    double rounding = 0.0;                 // relative allowance for the rounding of a bound's exponent
    std::vector<int> rows_after;           // per row: the rows of its nucleus after it
    double root_missing[NUCLEI] = {0.0, 0.0, 0.0};  // per nucleus: ln of the missing-rate bound at the root
    double log_root_missing = 0.0;         // their sum
};

// What one walk has skipped so far, in visiting order.
struct walk_budget_t {
    double passed = 0.0;          // completions visited or skipped so far
    double spent = 0.0;           // Σ over skipped subtrees of their bound over the score's lower bound at the time
    double passed_mark = 1.0;     // a power of 2 at least passed
    double log_passed_mark = 0.0; // its logarithm
};

// Sets up what the bounds read of a type, once per type and model.
void prepare_type_bounds(const walk_type_t &type, type_bounds_t &bounds);

// ln of the most that nucleus k's missing-rate product can be when the atoms
// `used` marks are seen and `more` rows of the nucleus are still to take one
// each of its free atoms.
double log_missing_bound(const type_bounds_t &type, int k, const char *used, int more);

// Sets up the bounds of the pair's walk; leaves skipping off when a term
// could be negative, unbounded or not a number: the type's bounds are not
// usable, or a shift is not a finite number.
void prepare_walk_bounds(const walk_rows_t &rows, const type_bounds_t &type, walk_bounds_t &bounds);

// The largest, over rows depth .. n - 1, of the least squared z-score the
// row can have at a free atom of its nucleus given the path's first `depth`
// rows: a lower bound of the quadratic form those rows add (full
// permutations). Reads the conditional means and variances that the walk
// left for `depth`.
double least_rest_form(const walk_rows_t &rows, walk_path_t &path, int depth);

// True, and charged to the budget, when the subtree below the path's first
// `depth` rows may be skipped: every completion in it underflows, or its
// bound fits in the budget the walk has passed and not spent, against a
// score of at least exp(log_score). rest_form is a lower bound of the form
// the rows still to come add (0 when unknown).
bool negligible_subtree(const walk_rows_t &rows, const walk_bounds_t &bounds, const walk_path_t &path, int depth,
                        double rest_form, double log_score, walk_budget_t &budget);
