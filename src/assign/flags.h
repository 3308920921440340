// SPDX-License-Identifier: GPL-3.0-or-later
// The mechanical flags of a spin system: what makes its prediction doubtful
// whatever the statistics say (too few shifts, impossible values, no type
// that fits, few of the best type's atoms seen).
#pragma once

#include <string>
#include <vector>

// A spin system with fewer shifts than this is flagged few_shifts.
constexpr int few_shifts_below = 3;
// A spin system whose best type has a smaller share of its observable atoms
// seen than this is flagged sparse.
constexpr double sparse_share_below = 0.5;

// What the flags are decided from.
struct flag_facts_t {
    int shifts = 0;                       // shifts scored
    std::vector<std::string> impossible;  // impossible values left out ("C=9999.00")
    bool any_type_fits = false;           // some selected type scores above 0
    double best_observed_share = 0.0;     // shifts seen over the best type's observable atoms
};

// The flag tokens, in this order: no_shifts (no shift scored), few_shifts,
// impossible_value:<nucleus>=<value> for each, no_fit (every type scores
// 0), sparse. A spin system without shifts or without a fitting type has
// no top type.
std::vector<std::string> mechanical_flags(const flag_facts_t &facts);

// The flags joined by commas, as the table and the NEF frame write them.
std::string joined_flags(const std::vector<std::string> &flags);

// The flag's name: the token before any ':' detail.
std::string flag_name(const std::string &flag);
