// SPDX-License-Identifier: GPL-3.0-or-later
// Shifts of atoms that a type has but its statistics do not describe.
//
// The statistics leave some atoms of a type out (SER HG, TYR CZ, HIS ND1:
// too rarely assigned, or ranking worse with them). A spin system to predict
// that names such a shift (an assigned file scored with its types hidden)
// would otherwise be matched against the type's other atoms of the nucleus:
// with one shift more than the type has atoms, the type could not hold the
// spin system at all, and its true type would score 0. So, for each type,
// the shifts whose names are atoms of that type that its statistics leave
// out are taken from the shifts that type is scored on, and each stands in
// the type's score for a shift the type does not predict: a density uniform
// over its nucleus's range (below), the same for every type,
//     s'(t) = s(t | the other shifts) * prod over those shifts of 1 / width(nucleus).
#pragma once

#include <string>
#include <vector>

#include "observe/shift_values.h"
#include "observe/type_statistics.h"

// The atom names of the shifts of a spin system, parallel to its
// shift_values_t; empty for a shift whose name names no particular atom.
struct shift_names_t {
    std::vector<std::string> h;
    std::vector<std::string> c;
    std::vector<std::string> n;
};

// The width of each nucleus's range of shifts, ppm: from the lowest
// mean - 3 sd to the highest mean + 3 sd over every atom of that nucleus in
// the statistics.
struct nucleus_widths_t {
    double h = 0.0, c = 0.0, n = 0.0;
};
nucleus_widths_t nucleus_widths(const std::vector<type_statistics_t> &types);

struct type_shifts_t {
    shift_values_t values;  // the shifts the type is scored on
    int unmodelled = 0;     // shifts taken out as atoms of the type that its statistics leave out
    double density = 1.0;   // the product of 1 / width(nucleus) over those shifts
};

// The shifts of the spin system that the type is scored on.
type_shifts_t shifts_for_type(const shift_values_t &shifts, const shift_names_t &names,
                              const type_statistics_t &type, const nucleus_widths_t &widths);
