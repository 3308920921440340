// SPDX-License-Identifier: GPL-3.0-or-later
// The model passes with the straightforward engines: linked into the
// benchmark's second program in place of the engines.
#include "engines/engines.h"
#include "reference/reference_engines.h"

void calculate_full_perm_indep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, reference::full_perm_indep_proba, progress, threads);
}
void calculate_full_perm_dep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, reference::full_perm_dep_proba, progress, threads);
}
void calculate_select_perm_indep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, reference::select_perm_indep_proba, progress, threads);
}
void calculate_select_perm_dep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, reference::select_perm_dep_proba, progress, threads);
}
