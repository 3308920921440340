// SPDX-License-Identifier: GPL-3.0-or-later
// The sequence prior: the methods this release computes.
#include "prior/prior.h"

#include <algorithm>
#include <cmath>
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


// Half a residue added to every selected type's count left: a type the
// sequence no longer holds keeps a small weight, so every type stays ranked
// and one misassigned residue cannot rule its true type out.
constexpr double pseudo_residues = 0.5;

// The composition prior: w(t) = (n(t) + 1/2) / sum_u (n(u) + 1/2) over the
// selected types, n(t) the residues of type t left in the sequence.
type_values_t composition_weights(const std::array<int, 20> &remaining, const std::array<bool, 20> &selected) {
    type_values_t weights{};
    double total = 0.0;
    for (int t = 0; t < 20; t++)
        if (selected[t]) total += std::max(remaining[t], 0) + pseudo_residues;
    for (int t = 0; t < 20; t++)
        weights[t] = selected[t] && total > 0.0 ? (std::max(remaining[t], 0) + pseudo_residues) / total : 0.0;
    return weights;
}

// A spin system's probabilities under one set of type weights:
// p(t) = w(t) s(t) / sum_u w(u) s(u); all 0 when no selected type scores.
type_values_t weighted_shares(const type_values_t &scores, const type_values_t &weights,
                              const std::array<bool, 20> &selected) {
    type_values_t probability{};
    double total = 0.0;
    for (int t = 0; t < 20; t++)
        if (selected[t]) total += weights[t] * scores[t];
    if (total > 0.0)
        for (int t = 0; t < 20; t++) probability[t] = selected[t] ? weights[t] * scores[t] / total : 0.0;
    return probability;
}

// Each type's expected count over the spin systems, E(t) = sum_s p_s(t).
type_values_t expected_counts(const std::vector<type_values_t> &scores, const type_values_t &weights,
                              const std::array<bool, 20> &selected) {
    type_values_t counts{};
    for (const type_values_t &row : scores) {
        const type_values_t p = weighted_shares(row, weights, selected);
        for (int t = 0; t < 20; t++) counts[t] += p[t];
    }
    return counts;
}

// The soft matching of the spin systems to the residues left. Starting from
// the composition weights, every type whose expected count E(t) exceeds its
// cap c(t) = n(t) + 1/2 has its weight scaled by c(t) / E(t); the weights
// are renormalised and the step repeated (iterative proportional fitting
// with upper bounds on the column totals) until no cap is exceeded by more
// than 1e-9 of itself. When the spin systems outnumber the residues the caps
// are scaled up to the number of spin systems, which keeps them reachable.
// Weights stay positive, so every type keeps its rank within a row.
type_values_t matching_weights(const std::vector<type_values_t> &scores, const std::array<int, 20> &remaining,
                               const std::array<bool, 20> &selected) {
    type_values_t weights = composition_weights(remaining, selected);
    double scored = 0.0;
    for (const type_values_t &row : scores) {
        double total = 0.0;
        for (int t = 0; t < 20; t++) total += selected[t] ? row[t] : 0.0;
        scored += total > 0.0 ? 1.0 : 0.0;
    }
    type_values_t caps{};
    double cap_total = 0.0;
    for (int t = 0; t < 20; t++) {
        caps[t] = selected[t] ? std::max(remaining[t], 0) + pseudo_residues : 0.0;
        cap_total += caps[t];
    }
    if (cap_total <= 0.0) return weights;
    if (scored > cap_total)
        for (double &cap : caps) cap *= scored / cap_total;
    // Types that no spin system gives any score (PRO against amide protons)
    // cannot take part in the matching: they keep their composition weight,
    // and the others are renormalised to the share they had, so that such a
    // type's weight does not grow as the others are scaled down.
    const type_values_t initial = expected_counts(scores, weights, selected);
    double live_share = 0.0;
    for (int t = 0; t < 20; t++) live_share += initial[t] > 0.0 ? weights[t] : 0.0;
    constexpr int most_rounds = 2000;
    for (int round = 0; round < most_rounds; round++) {
        const type_values_t counts = expected_counts(scores, weights, selected);
        bool within = true;
        for (int t = 0; t < 20; t++)
            if (selected[t] && counts[t] > caps[t] * (1.0 + 1e-9)) {
                weights[t] *= caps[t] / counts[t];
                within = false;
            }
        if (within) break;
        double live = 0.0;
        for (int t = 0; t < 20; t++) live += initial[t] > 0.0 ? weights[t] : 0.0;
        for (int t = 0; t < 20; t++)
            if (initial[t] > 0.0) weights[t] *= live_share / live;
    }
    return weights;
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

prior_result_t type_probabilities(const std::vector<type_values_t> &scores, const std::array<bool, 20> &selected,
                                  const std::optional<std::array<int, 20>> &remaining, prior_method_t method) {
    if (method != prior_method_t::none && !remaining)
        throw std::invalid_argument(std::string("the prior method '") + prior_method_key(method) +
                                    "' needs a sequence");
    prior_result_t result;
    result.prior.resize(scores.size());
    result.probability.resize(scores.size());
    if (method == prior_method_t::none) {
        for (std::size_t s = 0; s < scores.size(); s++)
            shares_of_scores(scores[s], selected, result.prior[s], result.probability[s]);
        return result;
    }
    const type_values_t weights = method == prior_method_t::composition
                                      ? composition_weights(*remaining, selected)
                                      : matching_weights(scores, *remaining, selected);
    for (std::size_t s = 0; s < scores.size(); s++) {
        result.prior[s] = weights;
        result.probability[s] = weighted_shares(scores[s], weights, selected);
    }
    return result;
}
