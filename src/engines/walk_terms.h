// SPDX-License-Identifier: GPL-3.0-or-later
// The words the parts of the MVND walk share: the two models, the counts of
// a walk, the candidate atoms of each shift and the limits of a walk. The
// walk's rows (walk_rows.h) and the walk itself (row_walk.h) both use them.
#pragma once

#include <cmath>
#include <vector>

// How the two MVND models differ.
enum mvnd_model_t {
    FULL_PERMUTATIONS,      // every atom is a candidate; same-nucleus covariances take the smaller atom first
    SELECTED_PERMUTATIONS,  // candidate lists given; same-nucleus covariances take the earlier shift's atom first
};

// Attachments scored and skipped by one walk.
struct walk_counts_t {
    double visited = 0;  // completed attachments scored (one order of each set of equal shifts' atoms)
    double skipped = 0;  // attachments left out in skipped subtrees (at most)
};

// How far a walk goes and when it is split: a run keeps the defaults; the
// work tests bound a walk that never skips, and the tests of the split walk
// split small ones.
struct walk_limits_t {
    double most = HUGE_VAL;             // a walk stops, its sum cut short, once it has scored more attachments
    double split_completions = 1e8;     // walks of at least this many completions (and 5 rows) are split in parts
};

// Candidate atoms (type positions) of each shift of each nucleus, the most
// plausible first: the walk meets a good attachment early and can skip against it.
using row_candidates_t = std::vector<std::vector<int>>;
