// The four scoring models. Each scores one spin system against one selected
// type as a plain sum over attachments of its shifts to the type's atoms; each
// pass fills every proba entry of every spin system.
#pragma once

#include "input/records.h"

// Full permutations, independent normal densities.
double full_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_full_perm_indep_probas(data_t &data);

// Full permutations, one multivariate normal density per attachment.
double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_full_perm_dep_probas(data_t &data);

// Selected permutations, independent normal densities.
double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_select_perm_indep_probas(data_t &data);

// Selected permutations, one multivariate normal density per assignment.
double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
void calculate_select_perm_dep_probas(data_t &data);
