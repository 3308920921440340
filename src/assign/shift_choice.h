// SPDX-License-Identifier: GPL-3.0-or-later
// Which shifts of a spin system are scored: the impossible values left out,
// and only the atoms that take part.
#pragma once

#include <string>
#include <vector>

#include "assign/scoring.h"
#include "formats/spin_systems.h"
#include "observe/type_statistics.h"
#include "observe/unmodelled_atoms.h"

// A shift is impossible for its nucleus when it lies more than this many
// standard deviations from the mean of every atom of that nucleus in every
// type of the statistics: a placeholder such as 9999, or a typing error.
constexpr double impossible_value_sds = 20.0;
// Standard deviations below this count as this much in that test (ppm), so
// that a degenerate statistics line cannot make every shift impossible.
constexpr double impossible_value_least_sd = 0.1;

// The means and standard deviations of every atom of each nucleus, for the
// impossible-value test.
struct shift_ranges_t {
    std::vector<std::pair<double, double>> h, c, n;  // mean and standard deviation, ppm
};
shift_ranges_t shift_ranges(const std::vector<type_statistics_t> &types);

// True when the shift is impossible for its nucleus; never for a nucleus
// that no atom of the statistics has.
bool is_impossible_value(const shift_ranges_t &ranges, char nucleus, double ppm);

struct chosen_shifts_t {
    shift_values_t values;                // the shifts scored, per nucleus in the spin system's order
    shift_names_t names;                  // their atom names, for a spin system to predict; empty otherwise
    std::vector<std::string> impossible;  // "C=9999.00" (the value as written) for each impossible shift
    long not_taking_part = 0;             // shifts left out because their atom takes no part
    long unheld_names = 0;                // shifts of a type to predict left out: their atom name no type holds
};

// The shifts of the spin system that are scored against `used` (the atoms
// that take part): impossible values left out; for a spin system of a
// known amino acid, only the atoms its type has among `used` (all its
// shifts when that type is not selected); for one of unknown type, the
// shifts whose kind of atom some type has among `used`, or whose name
// shows no kind, less those whose plain atom name no type holds and that
// are no atom of any amino acid; their names are kept beside them. With
// `type_known` false (the type is predicted, even if declared and hidden)
// the declared type decides nothing.
chosen_shifts_t choose_shifts(const spin_system_t &system, const std::vector<type_statistics_t> &used,
                              const shift_ranges_t &ranges, bool type_known);
