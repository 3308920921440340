// SPDX-License-Identifier: GPL-3.0-or-later
// The four scoring models. Each scores one spin system against one selected
// type as a plain sum over attachments of its shifts to the type's atoms; each
// pass fills every proba entry of every spin system.
#pragma once

#include "input/records.h"

// Told after each spin system of a pass how many are done, so that the
// driver can show progress; the engines themselves never print.
struct pass_progress_t {
    void (*report)(void *context, int done, int total) = nullptr;
    void *context = nullptr;
};

// Full permutations, independent normal densities.
double full_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_full_perm_indep_probas(data_t &data, const pass_progress_t &progress = {});

// Full permutations, one multivariate normal density per attachment.
double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_full_perm_dep_probas(data_t &data, const pass_progress_t &progress = {});

// Selected permutations, independent normal densities.
double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_select_perm_indep_probas(data_t &data, const pass_progress_t &progress = {});

// Selected permutations, one multivariate normal density per assignment.
double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_select_perm_dep_probas(data_t &data, const pass_progress_t &progress = {});

struct walk_counts_t;

// full_perm_dep_proba that also reports the attachments it visited and skipped.
double full_perm_dep_proba_counted(const value_data_t &v, const stat_data_t &s, walk_counts_t *counts);
