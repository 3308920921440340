// SPDX-License-Identifier: GPL-3.0-or-later
// The four model passes of the program: every spin system against every
// selected type, with the fast engines.
#include "engines/engines.h"

#include <memory>
#include <vector>

#include "engines/row_walk.h"

void calculate_full_perm_indep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, full_perm_indep_proba, progress, threads);
}
namespace {

// An MVND pass: each type's walk data set up once, for all its pairs.
void calculate_mvnd_probas(data_t &data, mvnd_model_t model, const walk_limits_t &limits,
                           const pass_progress_t &progress, int threads) {
    std::vector<std::shared_ptr<const mvnd_type_t>> types;
    for (const stat_data_t &s : data.sdata) types.push_back(prepare_mvnd_type(s, model));
    const stat_data_t *first = data.sdata.data();
    calculate_probas(data, [&](const value_data_t &v, const stat_data_t &s) {
        const std::shared_ptr<const mvnd_type_t> &type = types[&s - first];
        return model == FULL_PERMUTATIONS ? full_perm_dep_score(v, s, type, limits)
                                          : select_perm_dep_score(v, s, type, limits);
    }, progress, threads);
}

}  // namespace

void calculate_full_perm_dep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_mvnd_probas(data, FULL_PERMUTATIONS, walk_limits_t{}, progress, threads);
}
void calculate_full_perm_dep_probas(data_t &data, const walk_limits_t &limits, const pass_progress_t &progress,
                                    int threads) {
    calculate_mvnd_probas(data, FULL_PERMUTATIONS, limits, progress, threads);
}
void calculate_select_perm_indep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_probas(data, select_perm_indep_proba, progress, threads);
}
void calculate_select_perm_dep_probas(data_t &data, const pass_progress_t &progress, int threads) {
    calculate_mvnd_probas(data, SELECTED_PERMUTATIONS, walk_limits_t{}, progress, threads);
}
void calculate_select_perm_dep_probas(data_t &data, const walk_limits_t &limits, const pass_progress_t &progress,
                                      int threads) {
    calculate_mvnd_probas(data, SELECTED_PERMUTATIONS, limits, progress, threads);
}
