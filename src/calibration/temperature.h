// SPDX-License-Identifier: GPL-3.0-or-later
// The temperature of a spin system's probabilities where no matching prior
// sharpens them: without a prior, with the composition prior, and for the
// spin systems whose type the file assigns.
//
// The model multiplies one density per atom (or per nucleus) as though the
// shifts of a residue, and the atoms left unseen, were independent evidence.
// They are not: a side chain is assigned or left out as a whole, and the
// shifts of one residue share its neighbours and its structure. So the
// ratios between the types' scores are too large, and the more so the more
// shifts a spin system has beyond the backbone's six and the more of its
// best type's observable atoms it leaves unseen. Measured by
// cross-validation over the RefDB entries (five folds of whole sequence
// clusters, types hidden, -cfpd, class mixture), the share of the top type
// was right far less often than stated: 0.9-1.0 was right 93 % of the time
// with side chains, and a spin system that showed half of its best type's
// atoms was right about half as often as its probability said. A
// temperature T per spin system,
//
//     p(t) = w(t) s(t)^(1/T) / sum over types u of w(u) s(u)^(1/T),
//     T = 0.90 + 0.25 max(0, n - 6) + 1.5 (1 - f),
//
// n the spin system's shifts scored, f the share of the observable atoms of
// its best-scoring type that its shifts fill, w the prior weights (1
// without a prior), brings the expected calibration error with side chains
// from 0.034 to 0.015 and keeps the backbone's below 0.02, with and without
// the composition prior (scripts/fit-temperature.sh fits it). Raising all
// of a spin system's scores to one power leaves its ranking as it was.
#pragma once

#include "prior/prior.h"

struct temperature_rule_t {
    double base = 0.90;         // T of a spin system of at most six shifts that shows every observable atom
    double per_shift = 0.25;    // added for every shift beyond the first six
    int backbone_shifts = 6;
    double per_unseen = 1.5;    // added times the share of the best type's observable atoms left unseen
};

// T for a spin system of `shifts` shifts whose best-scoring type has the
// share `observed_share` of its observable atoms filled.
double spin_temperature(int shifts, double observed_share, const temperature_rule_t &rule = {});

// The scores raised to 1 / temperature, relative to the largest (which
// becomes 1), so that no power underflows that would not have to: their
// shares are the tempered probabilities. A score of 0 stays 0.
type_values_t tempered_scores(const type_values_t &scores, double temperature);
