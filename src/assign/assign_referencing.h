// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-assign's referencing check: the offsets of the file's shifts
// estimated (or imposed), warned about, and corrected where asked.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "assign/assign_statistics.h"
#include "assign/shift_choice.h"
#include "formats/spin_systems.h"
#include "observe/type_statistics.h"
#include "referencing/offsets.h"

// What --reference asks for.
enum class reference_mode_t {
    check,  // estimate the offsets and warn about significant ones
    apply,  // estimate them and correct the significant ones before scoring
    none,   // neither
};

// "check", "apply", "none".
std::optional<reference_mode_t> reference_mode_of_key(const std::string &key);

using imposed_offsets_t = std::array<std::optional<double>, shift_kinds>;

// Largest offset --offset accepts, ppm.
constexpr double most_imposed_offset = 50.0;

// Reads "C=-1.2,CO=0.3,N=0.4,H=0" (any of the kinds, each at most once);
// on a fault returns nothing and says why in `fault`.
std::optional<imposed_offsets_t> parse_imposed_offsets(const std::string &text, std::string &fault);

// What was done about one kind.
enum class offset_action_t {
    not_checked,    // --reference none
    not_estimated,  // too few spin systems carry the kind
    none,           // estimated, not significant
    warning,        // significant, warned about (check)
    applied,        // significant, corrected (apply)
    imposed,        // given with --offset and corrected
};
const char *offset_action_key(offset_action_t action);

struct referencing_result_t {
    std::array<offset_estimate_t, shift_kinds> estimates{};  // per kind, as estimate_offsets gives them
    std::array<offset_action_t, shift_kinds> actions{};      // per kind
    std::string corrections;  // "C -2.03 ppm (applied), N +0.40 ppm (imposed)"; empty when nothing was corrected
};

// Estimates the offsets of the shifts of `systems` that choose_shifts would
// score against `used` (with the prior weights of the residues left, when
// there are any), warns about the significant ones, and adds the offsets of
// those applied and imposed to the shifts of `systems`. With `classes`
// (the statistics per secondary-structure class, restricted to the atoms of
// `used`) each type's likelihood is the mixture over its classes, whose
// shifts differ by more than a protein's offsets do (a helical protein's 15N
// lie lower than a sheet's), so the protein's share of each class is not
// taken for an offset. The likelihood is computed on `threads` threads, with
// the same result for any number.
referencing_result_t check_referencing(reference_mode_t mode, const imposed_offsets_t &imposed,
                                       std::vector<spin_system_t> &systems, const std::vector<bool> &predicted,
                                       const std::vector<type_statistics_t> &used,
                                       const class_statistics_t *classes, const shift_ranges_t &ranges,
                                       const std::optional<std::array<int, 20>> &remaining, int threads,
                                       std::string &messages);

// The --referencing table: a header line, then one line per kind.
std::string referencing_table_text(const referencing_result_t &result);
