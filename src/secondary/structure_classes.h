// SPDX-License-Identifier: GPL-3.0-or-later
// The secondary-structure class of each residue of an assigned entry,
// estimated from the entry's own shifts, since no structure is at hand.
//
// The rule is a chemical-shift index over a window of neighbours. For each
// residue of type t and each of its atoms CA, CB, C and HA with a shift x,
// the secondary shift is d = x - r(t, atom), r the mean shift of that atom of
// type t over all the entries (between the helix and the sheet values, so
// that the sign of d shows which way the residue leans). Each atom votes:
//     CA:  +1 when d > 0.7 ppm,  -1 when d < -0.7
//     C:   +1 when d > 0.5,      -1 when d < -0.5
//     CB:  +1 when d < -0.7,     -1 when d > 0.7
//     HA:  +1 when d < -0.1,     -1 when d > 0.1
// (+1 helix-like, -1 sheet-like), and the residue's index is the sign of the
// sum of its votes (0 for a residue without any of those shifts, or whose
// votes cancel). Over the window of the residue and its two neighbours on
// each side (sequence codes i-2 to i+2 of its chain, those present), the
// mean index m decides: helix when m >= 0.5, sheet when m <= -0.5, coil
// otherwise. A residue whose window holds no vote has no class.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "formats/spin_systems.h"

enum class structure_class_t { helix, sheet, coil };

constexpr std::array<structure_class_t, 3> structure_classes = {structure_class_t::helix, structure_class_t::sheet,
                                                                structure_class_t::coil};

// "helix", "sheet", "coil".
const char *structure_class_key(structure_class_t c);
std::optional<structure_class_t> structure_class_of_key(const std::string &key);

// The reference shifts r(t, atom) of CA, CB, C and HA per amino acid in AA3
// order, ppm; NaN where unknown.
struct class_reference_t {
    std::array<std::array<double, 4>, 20> mean;  // [amino acid][CA, CB, C, HA]
    class_reference_t();
};

// Adds the entries' shifts up to the means of the reference.
class class_reference_builder_t {
  public:
    void add(const std::vector<spin_system_t> &systems);
    class_reference_t reference() const;

  private:
    std::array<std::array<double, 4>, 20> sum_{};
    std::array<std::array<long, 4>, 20> count_{};
};

// The class of each spin system of one entry, in the order given; none for
// a spin system of no amino acid, one whose sequence code is not a whole
// number, or one whose window holds no vote.
std::vector<std::optional<structure_class_t>> residue_classes(const std::vector<spin_system_t> &systems,
                                                              const class_reference_t &reference);
