// SPDX-License-Identifier: GPL-3.0-or-later
// The temperature of a spin system's probabilities (temperature.h).
#include "calibration/temperature.h"

#include <algorithm>
#include <cmath>

double spin_temperature(int shifts, double observed_share, const temperature_rule_t &rule) {
    const double unseen = std::isfinite(observed_share) ? 1.0 - std::clamp(observed_share, 0.0, 1.0) : 0.0;
    const int beyond = std::max(0, shifts - rule.backbone_shifts);
    return rule.base + rule.per_shift * beyond + rule.per_unseen * unseen;
}

type_values_t tempered_scores(const type_values_t &scores, double temperature) {
    double best = 0.0;
    for (const double score : scores)
        if (score > best) best = score;
    type_values_t tempered{};
    if (!(best > 0.0) || !std::isfinite(best) || !(temperature > 0.0)) return scores;
    const double log_best = std::log(best);
    // s^(1/T) / best^(1/T) = exp((ln s - ln best) / T).
    for (std::size_t t = 0; t < scores.size(); t++)
        tempered[t] = scores[t] > 0.0 ? std::exp((std::log(scores[t]) - log_best) / temperature) : 0.0;
    return tempered;
}
