// SPDX-License-Identifier: GPL-3.0-or-later
// The link score, the tolerances measured from the data, and the placement
// of spin systems on small cases whose answer can be checked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "placement/placement.h"

namespace {

constexpr int ALA = 0, ASP = 2, GLY = 7, LEU = 10, LYS = 11, SER = 15, VAL = 19;

// A spin system whose shifts say `type` with probability `p`, the rest spread evenly.
placement_system_t typed(int type, double p = 0.9) {
    placement_system_t system;
    system.type_share.fill((1.0 - p) / 19.0);
    system.type_share[type] = p;
    return system;
}

// A spin system that says nothing about its type.
placement_system_t untyped() {
    placement_system_t system;
    system.type_share.fill(0.05);
    return system;
}

placement_problem_t chain_of(const std::vector<int> &residues) {
    placement_problem_t problem;
    problem.residues = residues;
    for (std::size_t p = 0; p < residues.size(); p++) problem.follows.push_back(p > 0);
    return problem;
}

std::vector<int> positions(const placement_result_t &result) {
    std::vector<int> found;
    for (const placed_t &placed : result.placed) found.push_back(placed.position);
    return found;
}

TEST(Placement, LinkScoreIsTheLikelihoodRatioOfAMatchWithWrongShifts) {
    const std::vector<link_tolerance_t> tolerances = {{"CA", 0.1, 5.0, 20}, {"CB", 0.1, 5.0, 20}};
    // log(0.95 N(d; 0, 0.1) + 0.05 N(d; 0, 5)) - log N(d; 0, 5), worked out apart.
    const struct {
        double d;
        double expected;
    } cases[] = {{0.0, 3.8617817890}, {0.05, 3.7369717285}, {-0.1, 3.3626633564},
                 {0.3, -0.5470954774}, {1.0, -2.9957322736}, {5.0, -2.9957322736}};
    for (const auto &c : cases) {
        placement_system_t before, after;
        before.shifts = {{"CA", 56.0}};
        after.previous = {{"CA", 56.0 + c.d}};
        EXPECT_NEAR(link_score(before, after, tolerances), c.expected, 1e-9) << "difference " << c.d;
    }
    // Atoms add up; an atom only one side holds, or none shared, adds nothing.
    placement_system_t before, after;
    before.shifts = {{"CA", 56.0}, {"CB", 30.0}, {"H", 8.0}};
    after.previous = {{"CB", 30.05}, {"CA", 56.0}, {"HA", 4.0}};
    EXPECT_NEAR(link_score(before, after, tolerances), 3.8617817890 + 3.7369717285, 1e-9);
    EXPECT_EQ(link_score(after, before, tolerances), 0.0);
    EXPECT_EQ(link_score(before, after, {}), 0.0);
}

TEST(Placement, TolerancesComeFromTheClosestPairs) {
    // Ten linked pairs whose CA differs by 0.01 .. 0.10 ppm: median 0.055.
    std::vector<placement_system_t> systems;
    for (int k = 0; k < 11; k++) {
        placement_system_t system;
        system.shifts = {{"CA", 40.0 + 2.0 * k}};
        if (k > 0) system.previous = {{"CA", 40.0 + 2.0 * (k - 1) + 0.01 * k}};
        systems.push_back(system);
    }
    std::vector<link_tolerance_t> tolerances = link_tolerances(systems);
    ASSERT_EQ(tolerances.size(), 1u);
    EXPECT_EQ(tolerances[0].atom, "CA");
    EXPECT_EQ(tolerances[0].pairs, 10);
    EXPECT_NEAR(tolerances[0].sd, 1.4826 * 0.055, 1e-9);
    // Own shifts 40, 42, ..., 60: sample standard deviation sqrt(44), times sqrt(2).
    EXPECT_NEAR(tolerances[0].background, std::sqrt(2.0 * 44.0), 1e-9);

    // Identical shifts: the least tolerance; too few pairs: the starting one.
    for (placement_system_t &system : systems)
        if (!system.previous.empty()) system.previous[0].ppm = std::round(system.previous[0].ppm);
    tolerances = link_tolerances(systems);
    EXPECT_NEAR(tolerances[0].sd, 0.02, 1e-12);
    systems.resize(4);
    tolerances = link_tolerances(systems);
    EXPECT_EQ(tolerances[0].pairs, 3);
    EXPECT_EQ(tolerances[0].sd, 0.5);
}

TEST(Placement, TheLogLikelihoodOfAPlacementWorkedOutByHand) {
    // ALA then GLY; spin system 1 saw for the residue before a CA equal to
    // spin system 0's. Two links are too few to measure: sd 0.5 ppm, the
    // background sqrt(2) times the spread of 52 and 45 (7 ppm).
    placement_problem_t problem = chain_of({ALA, GLY});
    problem.systems = {typed(ALA), typed(GLY)};
    problem.systems[0].shifts = {{"CA", 52.0}};
    problem.systems[1].shifts = {{"CA", 45.0}};
    problem.systems[1].previous = {{"CA", 52.0}};
    // 2 log(20 (0.99 * 0.9 + 0.0005)) + log(0.95 N(0; 0, 0.5) + 0.05 N(0; 0, 7)) - log N(0; 0, 7),
    // worked out apart; swapped: 2 log(20 (0.99 * 0.1 / 19 + 0.0005)), no link; one left out: -3.
    const struct {
        std::vector<int> positions;
        double expected;
    } cases[] = {{{0, 1}, 8.353281248596}, {{1, 0}, -4.339423623228}, {{0, -1}, -0.119117568125}, {{-1, -1}, -6.0}};
    for (const auto &c : cases)
        EXPECT_NEAR(placement_log_likelihood(problem, c.positions), c.expected, 1e-9) << ::testing::PrintToString(c.positions);
    const placement_result_t result = place_spin_systems(problem);
    EXPECT_EQ(positions(result), (std::vector<int>{0, 1}));
    EXPECT_NEAR(result.log_likelihood, 8.353281248596, 1e-9);
}

TEST(Placement, TypesAloneDecideWhenTheyAreClear) {
    placement_problem_t problem = chain_of({GLY, ALA, SER, VAL});
    problem.systems = {typed(VAL), typed(GLY), typed(SER), typed(ALA)};
    const placement_result_t result = place_spin_systems(problem);
    EXPECT_EQ(positions(result), (std::vector<int>{3, 0, 2, 1}));
    for (const placed_t &placed : result.placed) EXPECT_GT(placed.probability, 0.9);
}

TEST(Placement, LinksOrderSpinSystemsOfOneType) {
    // Four alanines in a row, placed only by what each saw of the residue before.
    placement_problem_t problem = chain_of({ALA, ALA, ALA, ALA});
    const double ca[] = {52.1, 54.3, 50.7, 53.2};  // the true order: systems 2, 0, 3, 1
    const int order[] = {2, 0, 3, 1};
    for (int s = 0; s < 4; s++) problem.systems.push_back(typed(ALA));
    for (int k = 0; k < 4; k++) {
        problem.systems[order[k]].shifts = {{"CA", ca[order[k]]}};
        if (k > 0) problem.systems[order[k]].previous = {{"CA", ca[order[k - 1]] + 0.01}};
    }
    const placement_result_t result = place_spin_systems(problem);
    EXPECT_EQ(positions(result), (std::vector<int>{1, 3, 0, 2}));
    // Three links are too few to measure a tolerance: the wide starting one
    // (0.5 ppm) leaves some doubt.
    EXPECT_GT(result.placed[0].probability, 0.5);
}

TEST(Placement, AStretchIsPlacedWholeAndInOrder) {
    // The stretch 0, 1, 2 says nothing of its types; positions 0 and 1 are
    // assigned, positions 4 and 7 start new chains: 4, 5, 6 is the one run
    // of three free positions that follow one another.
    placement_problem_t problem = chain_of({GLY, LYS, ASP, LEU, LEU, ALA, SER, VAL});
    problem.follows[4] = false;
    problem.follows[7] = false;
    problem.systems = {untyped(), untyped(), untyped(), typed(GLY), typed(LYS), typed(LEU, 0.6)};
    problem.systems[3].fixed = 0;
    problem.systems[4].fixed = 1;
    problem.stretches = {{0, 1, 2}};
    const placement_result_t result = place_spin_systems(problem);
    EXPECT_EQ(positions(result), (std::vector<int>{4, 5, 6, 0, 1, 3}));
    EXPECT_EQ(result.placed[3].probability, 1.0);

    // Without the stretch, spin system 5 would take a LEU and the others
    // anywhere; with types that favour 2, 3, 4 split by the chain break, the
    // stretch still stays whole.
    problem.systems[0] = typed(ASP);
    problem.systems[1] = typed(LEU);
    problem.systems[2] = typed(LEU);
    const placement_result_t split = place_spin_systems(problem);
    const std::vector<int> found = positions(split);
    for (int k = 1; k < 3; k++)
        if (found[0] >= 0) {
            EXPECT_EQ(found[k], found[0] + k) << "member " << k;
        }
}

TEST(Placement, MoreSpinSystemsThanPositionsLeaveTheWorstOut) {
    placement_problem_t problem = chain_of({GLY, SER});
    problem.systems = {typed(SER), typed(GLY), typed(VAL, 0.99)};
    const placement_result_t result = place_spin_systems(problem);
    EXPECT_EQ(positions(result), (std::vector<int>{1, 0, -1}));
}

TEST(Placement, ClassesAtTheirThresholds) {
    const struct {
        double probability;
        const char *expected;
    } cases[] = {{1.0, "strong"}, {0.999, "strong"}, {0.9989, "likely"}, {0.75, "likely"}, {0.7499, "weak"},
                 {0.5, "weak"}, {0.4999, "none"}, {0.0, "none"}};
    for (const auto &c : cases) EXPECT_STREQ(placement_class(c.probability), c.expected) << c.probability;
}

TEST(Placement, TwoEqualPlacesShareTheProbability) {
    // Two serines, two spin systems that say serine and nothing else: each
    // is at either place about half of the time.
    placement_problem_t problem = chain_of({SER, GLY, SER});
    problem.systems = {typed(SER), typed(SER)};
    const placement_result_t result = place_spin_systems(problem);
    for (const placed_t &placed : result.placed) {
        EXPECT_NEAR(placed.probability, 0.5, 0.15);
        EXPECT_NEAR(placed.runner_up_probability, 0.5, 0.15);
        EXPECT_NE(placed.runner_up, placed.position);
    }
    // The same seed, the same result.
    const placement_result_t again = place_spin_systems(problem);
    for (std::size_t s = 0; s < result.placed.size(); s++) {
        EXPECT_EQ(again.placed[s].position, result.placed[s].position);
        EXPECT_EQ(again.placed[s].probability, result.placed[s].probability);
    }
}

}  // namespace
