// SPDX-License-Identifier: GPL-3.0-or-later
// The four model passes: every spin system against every selected type.
#include "engines/engines.h"
#include "engines/factors.h"

void calculate_full_perm_indep_probas(data_t &data, const pass_progress_t &progress) {
    calculate_probas(data, full_perm_indep_proba, progress);
}
void calculate_full_perm_dep_probas(data_t &data, const pass_progress_t &progress) {
    calculate_probas(data, full_perm_dep_proba, progress);
}
void calculate_select_perm_indep_probas(data_t &data, const pass_progress_t &progress) {
    calculate_probas(data, select_perm_indep_proba, progress);
}
void calculate_select_perm_dep_probas(data_t &data, const pass_progress_t &progress) {
    calculate_probas(data, select_perm_dep_proba, progress);
}
