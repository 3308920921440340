// SPDX-License-Identifier: GPL-3.0-or-later
// The scoring stage: every spin system against every selected type with one
// of the four models, on threads.
#pragma once

#include <array>
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
// kestrin's model passes compute, the same for any number of threads; a
// type with a side-chain group (groups/side_chain_groups.h) scores the
// mixture of its two states, each of them a pass of kestrin's. A fatal
// error of the engines (a singular covariance) ends the run.
// floors[s], where given and above 0, is a lower bound of the best score
// systems[s] reaches under some type: the dependent models' walks then leave
// out terms that add up to at most 1e-13 of the larger of it and the pair's
// own score, which no probability shows, and a type far below the best costs
// far less (without floors every score is kestrin's own).
std::vector<type_values_t> score_spin_systems(const std::vector<shift_values_t> &systems,
                                              const std::vector<type_statistics_t> &types, model_t model,
                                              int threads, const std::vector<double> &floors = {});

// The scores of spin systems to predict whose shifts name atoms that a type
// has but its statistics leave out (observe/unmodelled_atoms.h), made again
// for that type on its own shifts: scores[s] is the row of systems[s], whose
// atom names are names[s].
void rescore_unmodelled_atoms(std::vector<type_values_t> &scores, const std::vector<shift_values_t> &systems,
                              const std::vector<shift_names_t> &names, const std::vector<type_statistics_t> &types,
                              model_t model, int threads, const std::vector<double> &floors = {});

// For the dependent models: a lower bound of each spin system's best score
// over the classes' types, from the first attachments of each walk.
std::vector<double> first_attachment_floors(const std::vector<shift_values_t> &systems,
                                            const std::array<std::vector<type_statistics_t>, 3> &classes,
                                            model_t model, int threads);

// The score of each type as a mixture over secondary-structure classes,
//     s(t) = sum_c w(t, c) s_c(t),
// s_c the score under the class's statistics (with the shifts of atoms a
// class's type leaves out handled as in rescore_unmodelled_atoms), w(t, c)
// the type's share of its residues in class c. For the dependent models the
// walks are floored (score_spin_systems) by a billionth of a lower bound of
// the spin system's best score.
// floor_shares[s], where given, replaces the billionth for spin system s (0:
// no floor, every type to kestrin's own precision); `floors`, when given,
// receives the floor of each spin system's walks (0 where none was used).
std::vector<type_values_t> score_class_mixture(const std::vector<shift_values_t> &systems,
                                               const std::vector<shift_names_t> &names,
                                               const std::array<std::vector<type_statistics_t>, 3> &classes,
                                               const std::array<std::array<double, 3>, 20> &share, model_t model,
                                               int threads, const std::vector<double> &floor_shares = {},
                                               std::vector<double> *floors = nullptr);

// The floor's default share of the best score's lower bound.
constexpr double default_floor_share = 1e-9;

// The share for scores that will be raised to 1/T: small enough that the
// loss, tempered, stays below 1e-11 of the best score.
double floor_share_for(double temperature);

// The most a score below its spin system's floor F may have lost: the walks
// leave out at most 1e-13 F of it.
double floor_loss(double floor);

// True when a score below the spin system's floor could move one of its
// probabilities, p(t) ∝ prior(t) score(t)^(1/temperature), by more than a
// billionth: such a spin system is scored again without the floor.
bool floor_may_show(const type_values_t &score, const type_values_t &prior, double temperature, double floor);
