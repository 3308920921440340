// SPDX-License-Identifier: GPL-3.0-or-later
// The sequence prior: the methods this release computes.
#include "prior/prior.h"

#include <stdexcept>

namespace {

// No prior: every selected type weighs the same, and a type's probability
// is its score over the spin system's total, p(t) = s(t) / sum_u s(u),
// summed in type order.
void shares_of_scores(const type_values_t &scores, const std::array<bool, 20> &selected, type_values_t &prior,
                      type_values_t &probability) {
    int count = 0;
    for (bool is : selected) count += is ? 1 : 0;
    double total = 0.0;
    for (int t = 0; t < 20; t++) {
        prior[t] = selected[t] && count > 0 ? 1.0 / count : 0.0;
        if (selected[t]) total += scores[t];
    }
    for (int t = 0; t < 20; t++) probability[t] = selected[t] && total > 0.0 ? scores[t] / total : 0.0;
}

}  // namespace

const char *prior_method_key(prior_method_t method) {
    switch (method) {
    case prior_method_t::none: return "none";
    case prior_method_t::composition: return "composition";
    case prior_method_t::matching: return "matching";
    }
    return "";
}

std::optional<prior_method_t> prior_method_of_key(const std::string &key) {
    for (prior_method_t method : {prior_method_t::none, prior_method_t::composition, prior_method_t::matching})
        if (key == prior_method_key(method)) return method;
    return std::nullopt;
}

bool prior_method_available(prior_method_t method) { return method == prior_method_t::none; }

prior_result_t type_probabilities(const std::vector<type_values_t> &scores, const std::array<bool, 20> &selected,
                                  const std::optional<std::array<int, 20>> &remaining, prior_method_t method) {
    if (!prior_method_available(method))
        throw std::invalid_argument(std::string("the prior method '") + prior_method_key(method) +
                                    "' is not available");
    if (method != prior_method_t::none && !remaining)
        throw std::invalid_argument(std::string("the prior method '") + prior_method_key(method) +
                                    "' needs a sequence");
    prior_result_t result;
    result.prior.resize(scores.size());
    result.probability.resize(scores.size());
    for (std::size_t s = 0; s < scores.size(); s++)
        shares_of_scores(scores[s], selected, result.prior[s], result.probability[s]);
    return result;
}
