// SPDX-License-Identifier: GPL-3.0-or-later
// From the scores of the spin systems to predict and the residues left in
// the sequence to probabilities of the 20 types: the sequence prior.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// One value per amino acid, in the order of AA3.
using type_values_t = std::array<double, 20>;

enum class prior_method_t {
    none,         // no prior: each type's share of the spin system's total score
    composition,  // each type weighted by its share of the residues left
    matching,     // the spin systems matched to the residues left as a whole
};

// "none", "composition", "matching": the names of --prior.
const char *prior_method_key(prior_method_t method);
std::optional<prior_method_t> prior_method_of_key(const std::string &key);

struct prior_result_t {
    std::vector<type_values_t> prior;        // per spin system: the prior weight of each type, summing to 1
                                             // over the selected types
    std::vector<type_values_t> probability;  // per spin system: each type's probability, summing to 1; all 0
                                             // when no selected type scores above 0
};

// The probabilities of the types for each spin system (the rows of
// `scores`, each type's score under the model; 0 for a type not selected)
// by the method. `remaining` holds the residues of each type that the
// sequence leaves for these spin systems (none without a sequence, which
// only `none` accepts). A method that needs a sequence, given none,
// throws std::invalid_argument.
prior_result_t type_probabilities(const std::vector<type_values_t> &scores, const std::array<bool, 20> &selected,
                                  const std::optional<std::array<int, 20>> &remaining, prior_method_t method);
