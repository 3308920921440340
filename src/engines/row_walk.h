// SPDX-License-Identifier: GPL-3.0-or-later
// Depth-first walk of the MVND models over the rows of the covariance
// matrix (H shifts, then C, then N, each in input order): each row takes an
// atom of its nucleus, and the Cholesky factor, the forward substitution and
// the partial quadratic form are carried from row to row, so a step costs one
// new row instead of a fresh decomposition.
#pragma once

#include <vector>

#include "engines/factors.h"

// How the two MVND models differ.
enum mvnd_model_t {
    FULL_PERMUTATIONS,      // every atom is a candidate; same-nucleus covariances take the smaller atom first
    SELECTED_PERMUTATIONS,  // candidate lists given; same-nucleus covariances take the earlier shift's atom first
};

// Attachments visited and skipped by one walk.
struct walk_counts_t {
    double visited = 0;  // completed attachments scored
    double skipped = 0;  // attachments left out in skipped subtrees
};

// Candidate atoms (type positions) of each shift of each nucleus, in visiting order.
using row_candidates_t = std::vector<std::vector<int>>;

// Sum over the attachments of the pair's n >= 1 shifts. Full permutations
// may skip subtrees that provably change the sum by less than a relative
// 1e-13 in total; counts, when given, receives the attachments visited and skipped.
double mvnd_attachment_sum(const value_data_t &v, const stat_data_t &s, mvnd_model_t model,
                           const row_candidates_t candidates[NUCLEI], walk_counts_t *counts);
