// SPDX-License-Identifier: GPL-3.0-or-later
// Depth-first walk of the MVND models over the rows of the covariance
// matrix: each row (one shift) takes an atom of its nucleus, and the Cholesky
// factor, the forward substitution and the partial quadratic form are
// carried from row to row, so a step costs one new row instead of a fresh
// decomposition. Subtrees that provably hold a negligible share of the
// pair's score are skipped.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "engines/factors.h"
#include "engines/walk_terms.h"

// What the walks of one type read, the same for every spin system: set up
// once per type and model, shared read-only by the walks of its pairs.
struct mvnd_type_t;
std::shared_ptr<const mvnd_type_t> prepare_mvnd_type(const stat_data_t &s, mvnd_model_t model);

// Sum over the attachments of the pair's n >= 1 shifts to their candidates.
// Skipped subtrees hold less than a relative 1e-13 of the sum in total;
// counts, when given, receives the attachments visited and skipped. A walk
// that has scored more than `most` attachments stops there, its sum cut
// short: the work tests' guard against a walk that never skips.
double mvnd_attachment_sum(const value_data_t &v, const stat_data_t &s, mvnd_model_t model,
                           const row_candidates_t candidates[NUCLEI], walk_counts_t *counts, double most = HUGE_VAL);

// The same sum in parts: start_mvnd_walk walks the first subtree of a large
// walk and leaves the others as parts, released in rounds by
// release_walk_parts (which returns how many parts follow those released
// before, 0 when none are left) once every part released before has run.
// The parts of a round may run in any order and on any thread, each writing
// only its own result; each round skips against the sum of the rounds
// before; finish_mvnd_walk adds the results in a fixed order, so the sum is
// the same however the parts ran.
struct mvnd_walk_t;
std::shared_ptr<mvnd_walk_t> start_mvnd_walk(const value_data_t &v, std::shared_ptr<const mvnd_type_t> type,
                                             const row_candidates_t candidates[NUCLEI],
                                             const walk_limits_t &limits = {});
int release_walk_parts(mvnd_walk_t &walk);
void run_walk_part(mvnd_walk_t &walk, int part);
double finish_mvnd_walk(const mvnd_walk_t &walk, walk_counts_t *counts);
