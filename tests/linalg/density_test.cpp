// SPDX-License-Identifier: GPL-3.0-or-later
// Mahalanobis quadratic form and normal density.
#include "linalg/density.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace {

TEST(Mahalanobis, UsesTheFullMatrix) {
    const double x[] = {1.0, 2.0}, zero[] = {0.0, 0.0};
    EXPECT_EQ(mahalanobis(x, zero, matrix_of({{2.0, 0.5}, {0.5, 1.0}}), 2), 8.0);
    // A symmetrised (0, 1; 1, 0) would give 4, its lower triangle 0.
    EXPECT_EQ(mahalanobis(x, zero, matrix_of({{0.0, 1.0}, {0.0, 0.0}}), 2), 2.0);
}

TEST(Mahalanobis, SpecialCases) {
    const double x[] = {3.0, -1.0, 2.5}, mu[] = {1.0, 1.0, 0.5};
    EXPECT_EQ(mahalanobis(x, x, matrix_of({{5, 1, 2}, {1, 5, 3}, {2, 3, 5}}), 3), 0.0);
    EXPECT_EQ(mahalanobis(x, mu, matrix_of({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), 3), 12.0);
    const double one[] = {8.2}, mean[] = {8.0};
    EXPECT_EQ(mahalanobis(one, mean, matrix_of({{4.0}}), 1), (8.2 - 8.0) * (8.2 - 8.0) * 4.0);
    const double d[] = {2.0, 0.0}, base[] = {1.0, 1.0};
    EXPECT_EQ(mahalanobis(d, base, matrix_of({{1.0, 2.0}, {2.0, 1.0}}), 2), -2.0);
}

TEST(GaussProba, KnownValues) {
    EXPECT_NEAR(gauss_proba(8.2, 8.0, 0.5), 0.736540, 5e-7);
    EXPECT_NEAR(gauss_proba(118.0, 120.0, 4.0), 0.0880163, 5e-8);
    EXPECT_EQ(gauss_proba(3.0, 3.0, 0.25), 1.0 / (std::sqrt(6.283185307179586) * 0.25));
    EXPECT_TRUE(std::isnan(gauss_proba(3.0, 3.0, 0.0)));
}

}  // namespace
