// SPDX-License-Identifier: GPL-3.0-or-later
// The scoring stage: every spin system against every selected type with one
// of the four models, on threads.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "observe/shift_values.h"
#include "observe/type_statistics.h"
#include "observe/unmodelled_atoms.h"
#include "prior/prior.h"

enum class model_t { cfpi, cfpd, cspi, cspd };

// "cfpi", "cfpd", "cspi", "cspd": the names of --model.
const char *model_key(model_t model);
std::optional<model_t> model_of_key(const std::string &key);
// True for the models with one multivariate normal density per attachment.
bool is_dependent_model(model_t model);


// Each spin system's score under the model against each type, by AA3
// index (0 for a type that is not among `types`). The scores are those
// kestrin's model passes compute, the same for any number of threads. A
// fatal error of the engines (a singular covariance) ends the run.
std::vector<type_values_t> score_spin_systems(const std::vector<shift_values_t> &systems,
                                              const std::vector<type_statistics_t> &types, model_t model,
                                              int threads);

// The scores of spin systems to predict whose shifts name atoms that a type
// has but its statistics leave out (observe/unmodelled_atoms.h), made again
// for that type on its own shifts: scores[s] is the row of systems[s], whose
// atom names are names[s].
void rescore_unmodelled_atoms(std::vector<type_values_t> &scores, const std::vector<shift_values_t> &systems,
                              const std::vector<shift_names_t> &names, const std::vector<type_statistics_t> &types,
                              model_t model, int threads);
