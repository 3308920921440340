// SPDX-License-Identifier: GPL-3.0-or-later
// The missing-rate bound of the MVND walk against every way the rows still
// to come could take their atoms.
#include "engines/walk_bounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "input/failure.h"

namespace {

// ln of the largest missing-rate product of nucleus k over every choice of
// `more` free atoms to be seen, by trying every subset.
double largest_by_subsets(const std::vector<double> &miss, const std::vector<int> &atoms, const char *used,
                          int more) {
    double best = -HUGE_VAL;
    const int m = static_cast<int>(atoms.size());
    for (int subset = 0; subset < (1 << m); subset++) {
        int seen = 0;
        bool possible = true;
        for (int i = 0; i < m; i++) {
            const bool in = (subset >> i & 1) != 0;
            if (used[atoms[i]] && !in) possible = false;
            if (!used[atoms[i]] && in) seen++;
        }
        if (!possible || seen != more) continue;
        double product = 1.0;
        for (int i = 0; i < m; i++) product *= (subset >> i & 1) != 0 ? 1.0 - miss[atoms[i]] : miss[atoms[i]];
        best = std::max(best, std::log(product));
    }
    return best;
}

// Random missing rates (0 and 1 among them), atoms seen so far and rows to
// come: the bound equals the largest product, not merely bounds it.
TEST(WalkBounds, MissingRateBoundIsTheLargestProductOfAnyCompletion) {
    std::mt19937 random(77);
    const double special[] = {0.0, 1.0, 0.5};
    for (int trial = 0; trial < 400; trial++) {
        const int m = 1 + static_cast<int>(random() % 8);
        // m carbons with unit variances and no correlations.
        stat_data_t s;
        s.C_num = s.atom_num = m;
        allocate_matrix(s.cov, m, m, "cov", "cov[0]", __LINE__, __func__);
        for (int a = 0; a < m; a++) {
            s.miss.push_back(random() % 5 == 0 ? special[random() % 3]
                                               : std::uniform_real_distribution<double>(0, 1)(random));
            s.mean.push_back(100.0 + a);
            s.std_dev.push_back(1.0);
            s.atom_type.push_back('C');
            for (int b = 0; b < m; b++) s.cov[a][b] = a == b ? 1.0 : 0.0;
        }
        const std::vector<double> &miss = s.miss;
        walk_type_t layout;
        prepare_walk_type(s, FULL_PERMUTATIONS, layout);
        type_bounds_t type;
        prepare_type_bounds(layout, type);
        ASSERT_TRUE(type.usable);
        std::vector<int> atoms(m);
        for (int a = 0; a < m; a++) atoms[a] = a;
        std::vector<char> used(m, 0);
        int free = m;
        for (int a = 0; a < m; a++)
            if (random() % 3 == 0) {
                used[a] = 1;
                free--;
            }
        const int more = free == 0 ? 0 : static_cast<int>(random() % (free + 1));
        const double expected = largest_by_subsets(miss, atoms, used.data(), more);
        const double bound = log_missing_bound(type, C_NUCLEUS, used.data(), more);
        if (std::isinf(expected)) {
            EXPECT_EQ(bound, expected) << "trial " << trial;
        } else {
            EXPECT_NEAR(bound, expected, 1e-12 * (1.0 + std::fabs(expected))) << "trial " << trial;
        }
    }
}

}  // namespace
