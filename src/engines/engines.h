// SPDX-License-Identifier: GPL-3.0-or-later
// The four scoring models. Each scores one spin system against one selected
// type as a plain sum over attachments of its shifts to the type's atoms; each
// pass fills every proba entry of every spin system, on `threads` threads.
#pragma once

#include "engines/model_pass.h"
#include "input/records.h"

struct walk_counts_t;

// Full permutations, independent normal densities.
double full_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_full_perm_indep_probas(data_t &data, const pass_progress_t &progress = {}, int threads = 1);

// Full permutations, one multivariate normal density per attachment.
double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_full_perm_dep_probas(data_t &data, const pass_progress_t &progress = {}, int threads = 1);

// Selected permutations, independent normal densities.
double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_select_perm_indep_probas(data_t &data, const pass_progress_t &progress = {}, int threads = 1);

// Selected permutations, one multivariate normal density per assignment.
double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_select_perm_dep_probas(data_t &data, const pass_progress_t &progress = {}, int threads = 1);

// The MVND models as the passes call them: a large walk leaves parts that
// may run on other threads. The passes set up what the walks read of each
// type once (prepare_mvnd_type) and pass it with every pair of the type.
pair_score_t full_perm_dep_score(const value_data_t &v, const stat_data_t &s);
pair_score_t select_perm_dep_score(const value_data_t &v, const stat_data_t &s);
// The limits (walk_limits_t) say when a walk is split; a run keeps the defaults.
struct mvnd_type_t;
struct walk_limits_t;
pair_score_t full_perm_dep_score(const value_data_t &v, const stat_data_t &s,
                                 const std::shared_ptr<const mvnd_type_t> &type, const walk_limits_t &limits);
pair_score_t select_perm_dep_score(const value_data_t &v, const stat_data_t &s,
                                   const std::shared_ptr<const mvnd_type_t> &type, const walk_limits_t &limits);

// The MVND passes with the walks' limits given: the tests of the split walk
// split walks small enough for the enumeration.
void calculate_full_perm_dep_probas(data_t &data, const walk_limits_t &limits, const pass_progress_t &progress,
                                    int threads);
void calculate_select_perm_dep_probas(data_t &data, const walk_limits_t &limits, const pass_progress_t &progress,
                                      int threads);

// full_perm_dep_proba and select_perm_dep_proba that also report the
// attachments their walk visited and skipped; a walk stops, its score cut
// short, once it has scored more than `most` attachments.
double full_perm_dep_proba_counted(const value_data_t &v, const stat_data_t &s, walk_counts_t *counts, double most);
double select_perm_dep_proba_counted(const value_data_t &v, const stat_data_t &s, walk_counts_t *counts, double most);
