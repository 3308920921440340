// SPDX-License-Identifier: GPL-3.0-or-later
// The observed-atom rule: the kind of every atom name, the kinds a file's
// spin systems show, and the statistics restricted to them, which must equal
// the statistics read for that selection.
#include <gtest/gtest.h>

#include <cmath>

#include "assign/assign_statistics.h"
#include "observe/observed_atoms.h"
#include "observe/type_statistics.h"
#include "test_support.h"

namespace {

TEST(AtomKinds, BackboneNamesThenSideChainPositions) {
    const struct {
        const char *atom;
        char nucleus;
        const char *kind;
    } cases[] = {
        {"H", 'H', "H"},       {"HN", 'H', "H"},     {"hn", 'H', "H"},     {"HA", 'H', "HA"},   {"HA2", 'H', "HA"},
        {"HA%", 'H', "HA"},    {"C", 'C', "C"},      {"CO", 'C', "C"},     {"CA", 'C', "CA"},   {"N", 'N', "N"},
        {"HB%", 'H', "HB"},    {"HB3", 'H', "HB"},   {"CB", 'C', "CB"},    {"CG1", 'C', "CG"},  {"HD21", 'H', "HD"},
        {"HE", 'H', "HE"},     {"NE2", 'N', "NE"},   {"NZ", 'N', "NZ"},    {"HZ3", 'H', "HZ"},  {"NH1", 'N', "NH"},
        {"HH", 'H', "HH"},     {"CH2", 'C', "CH"},   {"ND1", 'N', "ND"},
        // No kind: another nucleus' letter, no position, or an unknown position.
        {"CA", 'H', ""},       {"H1", 'H', ""},      {"C'", 'C', ""},      {"CA1", 'C', ""},    {"HX", 'H', ""},
        {"", 'H', ""},         {"NA", 'N', ""},
    };
    for (const auto &c : cases) EXPECT_EQ(atom_kind(c.atom, c.nucleus), c.kind) << c.atom << " " << c.nucleus;
}

spin_system_t system_of(int amino_acid, const std::vector<std::pair<const char *, char>> &atoms) {
    spin_system_t system{"A", "1", "A.1", amino_acid < 0 ? "." : "ALA", amino_acid, 1, {}, {}};
    for (const auto &[atom, nucleus] : atoms) system.shifts.push_back({atom, nucleus, "1.0", 1.0, 1});
    return system;
}

TEST(ObservedKinds, OnlyTheSpinSystemsLookedAtDecide) {
    const std::vector<spin_system_t> systems = {
        system_of(-1, {{"H", 'H'}, {"N", 'N'}, {"CA", 'C'}}),
        system_of(-1, {{"H", 'H'}, {"CB", 'C'}, {"N", 'N'}}),
        system_of(0, {{"H", 'H'}, {"HA", 'H'}, {"HB", 'H'}, {"C", 'C'}, {"CA", 'C'}, {"CB", 'C'}, {"N", 'N'}}),
    };
    const observed_kinds_t predicted = observed_kinds(systems, {true, true, false});
    EXPECT_EQ(describe_kinds(predicted), "H: H; C: CA, CB; N: N");
    EXPECT_EQ(predicted.systems, 2);
    EXPECT_TRUE(is_observable(predicted, "CB", 'C'));
    EXPECT_FALSE(is_observable(predicted, "HA", 'H'));
    EXPECT_FALSE(is_observable(predicted, "HA2", 'H'));
    EXPECT_FALSE(is_observable(predicted, "C", 'C'));
    const observed_kinds_t all = observed_kinds(systems, {true, true, true});
    EXPECT_EQ(describe_kinds(all), "H: H, HA, HB; C: C, CA, CB; N: N");
    EXPECT_EQ(describe_kinds(observed_kinds(systems, {false, false, false})), "none");
    // A name without a kind shows its nucleus: every atom of it may take part.
    const observed_kinds_t odd = observed_kinds({system_of(-1, {{"H", 'H'}, {"C1", 'C'}})}, {true});
    EXPECT_EQ(describe_kinds(odd), "H: H; C: any");
    EXPECT_TRUE(is_observable(odd, "CZ", 'C'));
    EXPECT_FALSE(is_observable(odd, "N", 'N'));
}

// The full-atom statistics restricted to the kinds H, N, CA and CB are the
// statistics read for a selection of those atoms alone, number for number.
TEST(RestrictedStatistics, EqualTheStatisticsReadForTheSmallerSelection) {
    const std::string data = KESTRIN_DATA_DIR;
    const std::vector<type_statistics_t> full =
        read_type_statistics(data + "/stats_full.txt", data + "/atoms_full.txt");
    std::string small = "# H, N, CA and CB of the full selection\n";
    for (const type_statistics_t &type : full)
        for (const selected_atom_t &atom : type.atoms)
            if (atom.name == "H" || atom.name == "N" || atom.name == "CA" || atom.name == "CB")
                small += std::string(AA3[type.amino_acid]) + " " + atom.name + " " + atom.nucleus + "\n";
    write_file("atoms_hncacb.txt", small);
    const std::vector<type_statistics_t> read = read_type_statistics(data + "/stats_full.txt", "atoms_hncacb.txt");

    const observed_kinds_t kinds =
        observed_kinds({system_of(-1, {{"H", 'H'}, {"CA", 'C'}, {"CB", 'C'}, {"N", 'N'}})}, {true});
    const std::vector<type_statistics_t> restricted = restricted_statistics(
        full, [&](int, const selected_atom_t &atom) { return is_observable(kinds, atom.name, atom.nucleus); });
    ASSERT_EQ(restricted.size(), read.size());
    EXPECT_EQ(atom_count(restricted), 77);
    for (std::size_t t = 0; t < read.size(); t++) {
        const stat_data_t &a = restricted[t].stats, &b = read[t].stats;
        ASSERT_EQ(a.atom_num, b.atom_num) << AA3[read[t].amino_acid];
        EXPECT_EQ(a.H_num, b.H_num);
        EXPECT_EQ(a.C_num, b.C_num);
        EXPECT_EQ(a.N_num, b.N_num);
        for (int i = 0; i < a.atom_num; i++) {
            EXPECT_EQ(restricted[t].atoms[i].name, read[t].atoms[i].name);
            EXPECT_EQ(a.mean[i], b.mean[i]);
            EXPECT_EQ(a.std_dev[i], b.std_dev[i]);
            EXPECT_EQ(a.miss[i], b.miss[i]);
            for (int j = 0; j < a.atom_num; j++) EXPECT_EQ(a.cov[i][j], b.cov[i][j]) << AA3[read[t].amino_acid];
        }
    }
    // GLY keeps H, CA and N: its HA2 and HA3 are of a kind not shown.
    EXPECT_EQ(restricted[7].stats.atom_num, 3);
}

}  // namespace
