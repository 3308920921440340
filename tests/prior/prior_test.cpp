// SPDX-License-Identifier: GPL-3.0-or-later
#include "prior/prior.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Three types selected (0, 1, 2); every other type off.
std::array<bool, 20> first_three() {
    std::array<bool, 20> selected{};
    selected[0] = selected[1] = selected[2] = true;
    return selected;
}

type_values_t row(double a, double b, double c) {
    type_values_t scores{};
    scores[0] = a;
    scores[1] = b;
    scores[2] = c;
    return scores;
}

std::array<int, 20> left(int a, int b, int c) {
    std::array<int, 20> counts{};
    counts[0] = a;
    counts[1] = b;
    counts[2] = c;
    return counts;
}

TEST(Prior, CompositionWeighsEachTypeByItsResiduesLeftPlusAHalf) {
    // Counts 3, 1, 0 -> weights 3.5, 1.5, 0.5 over 5.5.
    const prior_result_t r =
        type_probabilities({row(1, 1, 1), row(1, 2, 0)}, first_three(), left(3, 1, 0), prior_method_t::composition);
    ASSERT_EQ(r.prior.size(), 2u);
    EXPECT_DOUBLE_EQ(r.prior[0][0], 3.5 / 5.5);
    EXPECT_DOUBLE_EQ(r.prior[0][1], 1.5 / 5.5);
    EXPECT_DOUBLE_EQ(r.prior[0][2], 0.5 / 5.5);
    EXPECT_EQ(r.prior[0][3], 0.0);
    EXPECT_DOUBLE_EQ(r.probability[0][0], 3.5 / 5.5);
    // Second row: 3.5 * 1 against 1.5 * 2.
    EXPECT_DOUBLE_EQ(r.probability[1][0], 3.5 / 6.5);
    EXPECT_DOUBLE_EQ(r.probability[1][1], 3.0 / 6.5);
    EXPECT_EQ(r.probability[1][2], 0.0);
}

// The expected count of each type over the rows of a result.
type_values_t column_totals(const prior_result_t &r) {
    type_values_t totals{};
    for (const type_values_t &p : r.probability)
        for (int t = 0; t < 20; t++) totals[t] += p[t];
    return totals;
}

TEST(Prior, MatchingKeepsEveryExpectedCountWithinTheResiduesLeft) {
    const struct {
        const char *name;
        std::vector<type_values_t> scores;
        std::array<int, 20> remaining;
    } cases[] = {
        // Every spin system looks like type 0, but only one type-0 residue is left.
        {"one type claimed by all", {row(10, 1, 1), row(10, 1, 1), row(10, 1, 1)}, left(1, 1, 1)},
        // Scores that already fit the counts need no change beyond the composition.
        {"already within", {row(1, 0, 0), row(0, 1, 0), row(0, 0, 1)}, left(1, 1, 1)},
        // More spin systems than residues: the caps are scaled to the rows.
        {"more rows than residues", {row(5, 1, 1), row(5, 1, 1), row(5, 2, 1), row(4, 1, 1)}, left(1, 1, 0)},
        // A type the sequence does not hold at all.
        {"absent type", {row(1, 8, 1), row(1, 8, 1)}, left(1, 0, 1)},
    };
    for (const auto &c : cases) {
        const prior_result_t r = type_probabilities(c.scores, first_three(), c.remaining, prior_method_t::matching);
        const type_values_t totals = column_totals(r);
        double residues = 0.0, grand = 0.0;
        for (int t = 0; t < 3; t++) residues += c.remaining[t] + 0.5;
        const double scale = c.scores.size() > residues ? c.scores.size() / residues : 1.0;
        for (int t = 0; t < 3; t++) {
            EXPECT_LE(totals[t], (c.remaining[t] + 0.5) * scale * (1.0 + 1e-8)) << c.name << " type " << t;
            grand += totals[t];
        }
        EXPECT_NEAR(grand, static_cast<double>(c.scores.size()), 1e-12) << c.name;
        // Within each row the order of the types by score is the order by
        // probability only up to the common weights; every selected type
        // keeps a positive probability where it scores.
        for (std::size_t s = 0; s < c.scores.size(); s++)
            for (int t = 0; t < 3; t++)
                if (c.scores[s][t] > 0.0) {
                    EXPECT_GT(r.probability[s][t], 0.0) << c.name << " row " << s;
                }
    }
}

TEST(Prior, MatchingMovesProbabilityFromAnOverclaimedType) {
    // Three spin systems all prefer type 0 ten to one; one residue of each type
    // is left. Without matching each would be type 0 with p = 10/12.
    const std::vector<type_values_t> scores = {row(10, 1, 1), row(10, 1, 1), row(10, 1, 1)};
    const prior_result_t none = type_probabilities(scores, first_three(), left(1, 1, 1), prior_method_t::none);
    const prior_result_t matched = type_probabilities(scores, first_three(), left(1, 1, 1), prior_method_t::matching);
    EXPECT_DOUBLE_EQ(none.probability[0][0], 10.0 / 12.0);
    EXPECT_NEAR(column_totals(matched)[0], 1.5, 1e-8);  // the cap, 1 residue + 1/2
    EXPECT_LT(matched.probability[0][0], none.probability[0][0]);
    // Type 0 still ranks first in each row: the caps lower its weight, never below the others' here.
    EXPECT_GT(matched.probability[0][0], matched.probability[0][1]);
}

TEST(Prior, MatchingLeavesATypeNoSpinSystemScoresAtItsCompositionWeight) {
    // Type 2 scores 0 everywhere (as PRO against amide protons); type 0 is
    // overclaimed and scaled down round after round. Type 2's weight must
    // stay its composition share, 1.5 / 4.5, not grow to take the whole prior.
    const std::vector<type_values_t> scores = {row(10, 1, 0), row(10, 1, 0), row(10, 1, 0)};
    const prior_result_t matched = type_probabilities(scores, first_three(), left(1, 1, 1), prior_method_t::matching);
    EXPECT_NEAR(matched.prior[0][2], 1.5 / 4.5, 1e-12);
    EXPECT_NEAR(matched.prior[0][0] + matched.prior[0][1] + matched.prior[0][2], 1.0, 1e-12);
    EXPECT_NEAR(column_totals(matched)[0], 1.5, 1e-8);
}

TEST(Prior, RowsWithoutScoresAndMissingSequence) {
    const prior_result_t r =
        type_probabilities({row(0, 0, 0), row(1, 1, 0)}, first_three(), left(1, 1, 1), prior_method_t::matching);
    for (int t = 0; t < 20; t++) EXPECT_EQ(r.probability[0][t], 0.0);
    EXPECT_NEAR(r.probability[1][0] + r.probability[1][1], 1.0, 1e-12);
    EXPECT_THROW(type_probabilities({row(1, 1, 1)}, first_three(), std::nullopt, prior_method_t::composition),
                 std::invalid_argument);
    EXPECT_THROW(type_probabilities({row(1, 1, 1)}, first_three(), std::nullopt, prior_method_t::matching),
                 std::invalid_argument);
}

}  // namespace
