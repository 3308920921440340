// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "calibration/temperature.h"

// The rule's terms: shifts beyond six and unseen atoms raise T, a complete
// backbone spin system keeps it below 1, and a share outside [0, 1] or not
// a number is taken at its nearest sensible value.
TEST(Temperature, GrowsWithShiftsAndUnseenAtoms) {
    const struct {
        int shifts;
        double share;
        double wanted;
    } cases[] = {
        {6, 1.0, 0.9}, {4, 1.0, 0.9}, {10, 1.0, 1.9}, {10, 0.5, 2.65}, {0, 0.0, 2.4}, {12, 1.2, 2.4}, {7, NAN, 1.15},
    };
    for (const auto &c : cases) EXPECT_DOUBLE_EQ(spin_temperature(c.shifts, c.share), c.wanted) << c.shifts;
}

// Tempered scores give the shares p(t) ∝ s(t)^(1/T): relative to the best,
// zeros kept, the ranking unchanged, and no underflow for scores far below
// the smallest double's square.
TEST(Temperature, TemperedScoresArePowersRelativeToTheBest) {
    type_values_t scores{};
    scores[0] = 1e-300;
    scores[3] = 4e-300;
    scores[7] = 1e-320;
    const type_values_t tempered = tempered_scores(scores, 2.0);
    EXPECT_DOUBLE_EQ(tempered[3], 1.0);
    EXPECT_NEAR(tempered[0], 0.5, 1e-12);                  // (1/4)^(1/2)
    EXPECT_NEAR(tempered[7], std::sqrt(1e-320 / 4e-300), 1e-3 * std::sqrt(1e-320 / 4e-300));
    EXPECT_EQ(tempered[1], 0.0);
    EXPECT_GT(tempered[0], tempered[7]);
    // T = 1 keeps the ratios; no score above 0 leaves them as they were.
    const type_values_t same = tempered_scores(scores, 1.0);
    EXPECT_NEAR(same[0] / same[3], 0.25, 1e-12);
    const type_values_t none{};
    EXPECT_EQ(tempered_scores(none, 2.0), none);
}
