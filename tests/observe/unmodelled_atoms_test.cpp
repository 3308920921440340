// SPDX-License-Identifier: GPL-3.0-or-later
// Shifts of atoms a type has but its statistics leave out: which shifts each
// type is scored on, and what stands in for the others.
#include <gtest/gtest.h>

#include "assign/assign_statistics.h"
#include "observe/unmodelled_atoms.h"
#include "test_support.h"

namespace {

const type_statistics_t &type_named(const std::vector<type_statistics_t> &types, const char *code) {
    for (const type_statistics_t &type : types)
        if (AA3[type.amino_acid] == std::string(code)) return type;
    throw std::runtime_error(code);
}

TEST(UnmodelledAtoms, EachTypeLeavesOutOnlyItsOwnAtomsItsStatisticsLack) {
    // The default full statistics describe PHE CZ and LEU HG, not TYR CZ,
    // SER HG or HIS ND1.
    const std::string data = KESTRIN_DATA_DIR;
    const std::vector<type_statistics_t> types =
        read_type_statistics(data + "/stats_refdb_full.txt", data + "/atoms_refdb_full.txt");
    const nucleus_widths_t widths = nucleus_widths(types);
    ASSERT_GT(widths.c, 100.0);
    shift_values_t shifts;
    shifts.h = {8.1, 4.5, 3.0, 3.1, 5.4};
    shifts.c = {56.0, 38.0, 157.9};
    shifts.n = {120.0, 180.2};
    shift_names_t names;
    names.h = {"H", "HA", "HB%", "HB3", "HG"};
    names.c = {"CA", "CB", "CZ"};
    names.n = {"N", "ND1"};
    const struct {
        const char *type;
        int unmodelled;  // shifts taken out
        int h, c, n;     // shifts left per nucleus
        double density;
    } cases[] = {
        {"TYR", 1, 5, 2, 2, 1.0 / widths.c},                // its CZ; HG and ND1 are no atoms of TYR
        {"PHE", 0, 5, 3, 2, 1.0},                           // PHE CZ is described
        {"SER", 1, 4, 3, 2, 1.0 / widths.h},                // its HG; HB% stands for HB2 and HB3, described
        {"HIS", 1, 5, 3, 1, 1.0 / widths.n},                // its ND1
        {"LEU", 0, 5, 3, 2, 1.0},                           // LEU HG is described
    };
    for (const auto &c : cases) {
        const type_shifts_t own = shifts_for_type(shifts, names, type_named(types, c.type), widths);
        EXPECT_EQ(own.unmodelled, c.unmodelled) << c.type;
        EXPECT_EQ(own.values.h.size(), static_cast<std::size_t>(c.h)) << c.type;
        EXPECT_EQ(own.values.c.size(), static_cast<std::size_t>(c.c)) << c.type;
        EXPECT_EQ(own.values.n.size(), static_cast<std::size_t>(c.n)) << c.type;
        EXPECT_DOUBLE_EQ(own.density, c.density) << c.type;
    }
    // Without names (an assigned spin system scored by its own type) nothing is taken out.
    EXPECT_EQ(shifts_for_type(shifts, {}, type_named(types, "TYR"), widths).unmodelled, 0);
}

}  // namespace
