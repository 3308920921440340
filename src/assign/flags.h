// SPDX-License-Identifier: GPL-3.0-or-later
// The flags of a spin system: what makes its prediction doubtful (too few
// shifts, impossible values, no type that fits, a shift far from every atom
// of the best type, few of the best type's atoms seen).
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
    std::vector<std::string> conflicting; // second values of an atom the spin system already has ("CA=54.20")
    bool any_type_fits = false;           // some selected type scores above 0
    bool best_type_fits = false;          // the best type's fit lies within what real residues of it give
    std::vector<std::string> far;         // shifts far from every atom of their nucleus in the best type ("C=187.3")
    double best_observed_share = 0.0;     // shifts seen over the best type's observable atoms
};

// The flag tokens, in this order: no_shifts (no shift scored), few_shifts,
// impossible_value:<nucleus>=<value> for each, conflicting_shift:<atom>=
// <value> for each (a second, different value of an atom: two residues'
// shifts in one spin system, or a mistyped label), no_fit (every type scores
// 0, or the best type's fit is beyond its threshold), far_shift:<nucleus>=
// <value> for each far shift, sparse. A spin system without shifts or
// without a fitting type has no top type.
std::vector<std::string> spin_flags(const flag_facts_t &facts);

// The flags joined by commas, as the table and the NEF frame write them.
std::string joined_flags(const std::vector<std::string> &flags);

// The flag's name: the token before any ':' detail.
std::string flag_name(const std::string &flag);
