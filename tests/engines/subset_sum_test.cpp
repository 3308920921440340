// SPDX-License-Identifier: GPL-3.0-or-later
// Per-nucleus attachment sums and least-cost assignments against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "engines/least_cost_assignment.h"
#include "engines/subset_sum.h"

namespace {

// Every injective attachment of the shifts to atoms, term by term.
double brute_force_sum(const attachment_weights_t &w) {
    std::vector<int> atoms(w.atoms);
    std::iota(atoms.begin(), atoms.end(), 0);
    double sum = 0.0;
    // Each permutation's first `shifts` entries are an attachment; the rest
    // repeat it (shifts remaining)! times over.
    double repeats = 1.0;
    for (int r = 2; r <= w.atoms - w.shifts; r++) repeats *= r;
    do {
        double term = 1.0;
        std::vector<char> seen(w.atoms, 0);
        for (int i = 0; i < w.shifts; i++) {
            seen[atoms[i]] = 1;
            term *= (1.0 - w.miss[atoms[i]]) * w.weight[i * w.atoms + atoms[i]];
        }
        for (int j = 0; j < w.atoms; j++)
            if (!seen[j]) term *= w.miss[j];
        sum += term;
    } while (std::next_permutation(atoms.begin(), atoms.end()));
    return sum / repeats;
}

TEST(SubsetSum, EqualsEveryAttachmentSummed) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 200; trial++) {
        const int atoms = std::uniform_int_distribution<int>(0, 6)(random);
        const int shifts = std::uniform_int_distribution<int>(0, atoms)(random);
        std::vector<double> miss(atoms);
        for (double &m : miss) m = unit(random);
        attachment_weights_t w;
        w.shifts = shifts;
        w.atoms = atoms;
        w.miss = miss.data();
        for (int i = 0; i < shifts * atoms; i++) w.weight.push_back(unit(random) < 0.2 ? 0.0 : 3.0 * unit(random));
        const double expected = brute_force_sum(w);
        EXPECT_NEAR(nucleus_attachment_sum(w), expected, 1e-13 * expected) << atoms << " atoms, " << shifts << " shifts";
    }
}

TEST(SubsetSum, NoAttachmentOfDistinctAtomsGivesExactlyZero) {
    const double miss[] = {0.3, 0.4, 0.5};
    attachment_weights_t w;
    w.shifts = 2;
    w.atoms = 3;
    w.miss = miss;
    w.weight = {0.0, 2.0, 0.0,   // both shifts can only take atom 1
                0.0, 5.0, 0.0};
    EXPECT_EQ(nucleus_attachment_sum(w), 0.0);
}

TEST(SubsetSum, ManyShiftsAreEnumeratedOverTheirAllowedAtoms) {
    // 24 shifts, each allowed at its own atom only: one attachment.
    const int n = 24;
    std::vector<double> miss(n, 0.25);
    attachment_weights_t w;
    w.shifts = n;
    w.atoms = n;
    w.miss = miss.data();
    w.weight.assign(n * n, 0.0);
    double expected = 1.0;
    for (int i = 0; i < n; i++) {
        w.weight[i * n + i] = 1.0 + i;
        expected *= 0.75 * (1.0 + i);
    }
    EXPECT_DOUBLE_EQ(nucleus_attachment_sum(w), expected);
}

TEST(Assignment, LeastCostOfDistinctColumns) {
    std::mt19937 random(9);
    std::uniform_real_distribution<double> unit(0.0, 10.0);
    for (int trial = 0; trial < 200; trial++) {
        const int columns = std::uniform_int_distribution<int>(1, 6)(random);
        const int rows = std::uniform_int_distribution<int>(1, columns)(random);
        std::vector<double> cost(rows * columns);
        for (double &c : cost) c = unit(random);
        std::vector<int> order(columns);
        std::iota(order.begin(), order.end(), 0);
        double least = 1e300;
        do {
            double total = 0.0;
            for (int i = 0; i < rows; i++) total += cost[i * columns + order[i]];
            least = std::min(least, total);
        } while (std::next_permutation(order.begin(), order.end()));
        EXPECT_NEAR(least_cost_assignment(cost, rows, columns), least, 1e-9) << rows << " × " << columns;
    }
}

TEST(Assignment, NotANumberAmongTheCostsStillEnds) {
    EXPECT_EQ(least_cost_assignment({NAN, 1.0, 2.0, NAN}, 2, 2), 3.0);
    EXPECT_EQ(least_cost_assignment({NAN, NAN, NAN, NAN}, 2, 2), 0.0);
}

}  // namespace
