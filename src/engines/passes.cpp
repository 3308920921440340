// SPDX-License-Identifier: GPL-3.0-or-later
// The four model passes of the program: every spin system against every
// selected type, with the fast engines.
#include "engines/engines.h"

void calculate_full_perm_indep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, full_perm_indep_proba, progress, threads);
}
void calculate_full_perm_dep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, full_perm_dep_score, progress, threads);
}
void calculate_select_perm_indep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, select_perm_indep_proba, progress, threads);
}
void calculate_select_perm_dep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, select_perm_dep_score, progress, threads);
}
