// SPDX-License-Identifier: GPL-3.0-or-later
// Secondary-structure classes by the chemical-shift index over a window,
// and the mixture score over the classes' statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "assign/assign_statistics.h"
#include "assign/scoring.h"
#include "formats/file_text.h"
#include "secondary/structure_classes.h"
#include "test_support.h"

namespace {

constexpr int ala = 0;

spin_system_t alanine(const std::string &chain, const std::string &code, double ca, double ha) {
    spin_system_t system;
    system.chain = chain;
    system.sequence_code = code;
    system.label = chain + "." + code;
    system.residue_name = "ALA";
    system.amino_acid = ala;
    system.line = 1;
    system.shifts.push_back({"HA", 'H', "", ha, 1});
    system.shifts.push_back({"CA", 'C', "", ca, 1});
    return system;
}

TEST(StructureClasses, IndexOverAWindowOfNeighbours) {
    // Reference ALA CA 52.5, HA 4.3. Helix-like: CA up and HA down by more
    // than the thresholds; sheet-like: the reverse; within them: no lean.
    class_reference_builder_t builder;
    builder.add({alanine("A", "1", 52.0, 4.2), alanine("A", "2", 53.0, 4.4)});
    const class_reference_t reference = builder.reference();
    ASSERT_DOUBLE_EQ(reference.mean[ala][0], 52.5);  // CA
    ASSERT_DOUBLE_EQ(reference.mean[ala][3], 4.3);   // HA
    EXPECT_TRUE(std::isnan(reference.mean[ala][1])); // no CB seen

    const double up = 54.0, down = 51.0, level = 52.6;
    std::vector<spin_system_t> systems = {
        alanine("A", "1", up, 4.0),   alanine("A", "2", up, 4.0),   alanine("A", "3", up, 4.0),
        alanine("A", "4", level, 4.3), alanine("A", "5", down, 4.6), alanine("A", "6", down, 4.6),
        alanine("A", "7", down, 4.6), alanine("B", "8", up, 4.0),   alanine("A", "x", up, 4.0),
        // Alone in their chains, at the CA threshold of 0.7 ppm: 0.8 above votes, 0.6 above does not.
        alanine("C", "1", 53.3, 4.3), alanine("D", "1", 53.1, 4.3),
    };
    // Residue 2 itself has no vote-bearing shift but its window does.
    systems[1].shifts.clear();
    const auto classes = residue_classes(systems, reference);
    const struct {
        std::size_t index;
        std::optional<structure_class_t> wanted;
    } cases[] = {
        {0, structure_class_t::helix},  // 1: 1 and 3 vote +1 (2 has no vote): mean 1
        {1, structure_class_t::helix},  // 2: 1, 3 and 4 vote +1, +1, 0: 0.67
        {2, structure_class_t::coil},   // 3: 1, 3, 4 and 5 vote +1, +1, 0, -1: 0.25
        {3, structure_class_t::coil},   // 4: 3, 4, 5 and 6 vote +1, 0, -1, -1: -0.25
        {5, structure_class_t::sheet},  // 6: 4..7 vote 0, -1, -1, -1 ("B" 8 is another chain)
        {6, structure_class_t::sheet},  // 7: 5, 6, 7
        {7, structure_class_t::helix},  // chain B: alone
        {8, std::nullopt},              // no whole-number sequence code
        {9, structure_class_t::helix},  // CA 0.8 ppm above its reference
        {10, structure_class_t::coil},  // CA 0.6 above: within the threshold
    };
    for (const auto &c : cases) EXPECT_EQ(classes[c.index], c.wanted) << c.index;
}

TEST(StructureClasses, KeysReadBack) {
    for (structure_class_t c : structure_classes) EXPECT_EQ(structure_class_of_key(structure_class_key(c)), c);
    EXPECT_FALSE(structure_class_of_key("strand").has_value());
}

// With the same statistics for every class, the mixture is the single
// statistics' score: the shares of a type sum to 1. The dependent model's
// walks are floored at a billionth of the best score: a type within that of
// the best keeps its own precision, one below it is off by at most 1e-22 of
// the best.
TEST(ClassMixture, IdenticalClassesGiveTheSingleScore) {
    const std::string data = KESTRIN_DATA_DIR;
    const std::vector<type_statistics_t> single =
        read_type_statistics(data + "/stats_refdb_backbone.txt", data + "/atoms_refdb_backbone.txt");
    std::array<std::vector<type_statistics_t>, 3> classes;
    for (auto &types : classes)
        types = read_type_statistics(data + "/stats_refdb_backbone.txt", data + "/atoms_refdb_backbone.txt");
    std::array<std::array<double, 3>, 20> share{};
    for (auto &row : share) row = {0.5, 0.3, 0.2};
    shift_values_t shifts;
    shifts.h = {8.3, 4.3};
    shifts.c = {177.0, 52.5, 19.0};
    shifts.n = {123.0};
    const std::vector<shift_values_t> systems = {shifts};
    const std::vector<shift_names_t> names(1);
    for (model_t model : {model_t::cfpi, model_t::cfpd}) {
        const auto alone = score_spin_systems(systems, single, model, 1);
        const auto mixed = score_class_mixture(systems, names, classes, share, model, 1);
        const double best = *std::max_element(alone[0].begin(), alone[0].end());
        for (int t = 0; t < 20; t++) EXPECT_NEAR(mixed[0][t], alone[0][t], 1e-12 * alone[0][t] + 1e-22 * best) << t;
        EXPECT_GT(alone[0][ala], 0.0);
    }
}

// Each type's share of a class is its residues there (n_res) over its
// residues in the three classes.
TEST(ClassMixture, SharesFollowTheResiduesOfEachClass) {
    const std::string data = KESTRIN_DATA_DIR;
    const std::string single = read_file_text(data + "/stats_refdb_backbone.txt");
    const struct {
        const char *name;
        const char *ala_residues;
    } classes[] = {{"helix", "100"}, {"sheet", "300"}, {"coil", "600"}};
    for (const auto &c : classes) {
        // ALA's lines with n_res (the ninth field) set; every other type as it is.
        std::istringstream lines(single);
        std::string text, line;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::vector<std::string> f;
            for (std::string field; fields >> field;) f.push_back(field);
            if (f.size() == 10 && f[0] == "ALA") {
                f[8] = c.ala_residues;
                line.clear();
                for (const std::string &field : f) line += (line.empty() ? "" : " ") + field;
            }
            text += line + "\n";
        }
        write_file(std::string("classes_") + c.name + ".txt", text);
    }
    const class_statistics_t read = read_class_statistics("classes", data + "/atoms_refdb_backbone.txt");
    EXPECT_DOUBLE_EQ(read.share[ala][0], 0.1);
    EXPECT_DOUBLE_EQ(read.share[ala][1], 0.3);
    EXPECT_DOUBLE_EQ(read.share[ala][2], 0.6);
    for (int t = 1; t < 20; t++) {
        EXPECT_NEAR(read.share[t][0] + read.share[t][1] + read.share[t][2], 1.0, 1e-12) << t;
        EXPECT_NEAR(read.share[t][0], 1.0 / 3.0, 1e-12) << t;  // the same file three times
    }
    EXPECT_EQ(read.types[2].size(), 20u);
}

}  // namespace

// A type below the floor may have lost 1e-13 of the floor: that matters only
// where its prior weight, or a temperature that raises small scores, makes
// it count beside the best.
TEST(ClassMixture, FloorMattersOnlyWhereWeightsOrTemperatureShowIt) {
    type_values_t score{}, even{}, tilted{};
    score[0] = 1.0;     // the best
    score[1] = 1e-3;    // above the floor
    score[2] = 1e-40;   // below it
    even.fill(0.05);
    tilted = even;
    tilted[0] = tilted[1] = 1e-130;  // a matching prior that all but rules out the types that score
    const struct {
        const type_values_t &prior;
        double temperature, floor;
        bool shows;
    } cases[] = {
        {even, 1.0, 1e-9, false},    // the loss is 1e-22 of the best
        {even, 1.0, 0.0, false},     // no floor
        {tilted, 1.0, 1e-9, true},   // 1e-22 of the best, but the best weighed 1e-130
        {even, 4.0, 1e-9, true},     // (1e-22)^(1/4) = 3e-6 of the best
        {even, 2.0, 1e-9, false},    // 1e-11 for each of 18 types: 2e-10 of the total
        {even, 0.9, 1e-9, false},    // sharpened: the loss shrinks
    };
    for (const auto &c : cases)
        EXPECT_EQ(floor_may_show(score, c.prior, c.temperature, c.floor), c.shows) << c.temperature << " " << c.floor;
}
