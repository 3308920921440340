// SPDX-License-Identifier: GPL-3.0-or-later
// The report: tie order of the index sort, shares, threshold and both line forms.
#include "report/report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "test_support.h"

namespace {

std::vector<int> ranked(const std::vector<double> &values, bool decreasing = true) {
    std::vector<int> index(values.size());
    std::iota(index.begin(), index.end(), 0);
    const int right = static_cast<int>(values.size()) - 1;
    if (decreasing)
        dQsort_dec(values.data(), index.data(), 0, right);
    else
        dQsort_inc(values.data(), index.data(), 0, right);
    return index;
}

TEST(IndexSort, EqualValuesComeOutInTheSortsOwnOrder) {
    EXPECT_EQ(ranked({0.3, 0.3, 0.3, 0.1}), (std::vector<int>{1, 2, 0, 3}));
    EXPECT_EQ(ranked({0.0, 0.0, 0.0, 0.0}), (std::vector<int>{1, 2, 0, 3}));
    EXPECT_EQ(ranked({1.0, 2.0, 2.0, 3.0, 0.5}), (std::vector<int>{3, 2, 1, 0, 4}));
    EXPECT_EQ(ranked({5.0}), (std::vector<int>{0}));
}

TEST(IndexSort, OrdersEveryPermutationOfDistinctValues) {
    std::vector<double> values{0.5, 1.5, 2.5, 3.5, 4.5, 5.5};
    do {
        const std::vector<int> down = ranked(values);
        const std::vector<int> up = ranked(values, false);
        for (std::size_t k = 1; k < values.size(); k++) {
            EXPECT_GT(values[down[k - 1]], values[down[k]]);
            EXPECT_LT(values[up[k - 1]], values[up[k]]);
        }
    } while (std::next_permutation(values.begin(), values.end()));
}

TEST(IndexSort, SwapExchangesTwoEntries) {
    int index[] = {7, 8, 9};
    swap(index, 0, 2);
    EXPECT_EQ(index[0], 9);
    EXPECT_EQ(index[2], 7);
}

// Five selected types; each spin system gets the given declared type and scores.
data_t scored(const std::vector<std::pair<int, std::vector<double>>> &spins) {
    data_t data;
    data.type_num = static_cast<int>(spins.front().second.size());
    for (const auto &spin : spins) {
        value_data_t v;
        v.res_type = spin.first;
        v.proba = spin.second;
        data.vdata.push_back(std::move(v));
    }
    data.spin_num = static_cast<int>(spins.size());
    return data;
}

std::string report_of(const data_t &data) {
    const outcome_t o = run_captured([&] { print_probas(data); });
    EXPECT_EQ(o.status, -1);
    EXPECT_EQ(o.err, "");
    return o.out;
}

TEST(Report, PredictionLineAndClassBlock) {
    const data_t data =
        scored({{-1, {1.0, 2.0, 2.0, 3.0, 0.5}}, {1, {0.0002, 0.0001, 0.007, 0.05, 0.9}},
                {-1, {0.0002, 0.0001, 0.007, 0.05, 0.9}}});
    EXPECT_EQ(report_of(data),
              "  1: N (0.35) D (0.24) R (0.24) A (0.12) C (0.06) \n"
              "# Is class 2\n"
              "# Classe  5  4  3  1  2\n"
              "  3: C (0.94) N (0.05) \n");
}

TEST(Report, ThresholdIsInclusiveAndEveryRankIsVisited) {
    // A share of exactly 0.01 (1 / 100) is printed, one of 0.0099 is not.
    EXPECT_EQ(report_of(scored({{-1, {1.0, 99.0}}})), "  1: R (0.99) A (0.01) \n");
    EXPECT_EQ(report_of(scored({{-1, {0.0099, 0.4901, 0.5}}})), "  1: D (0.50) R (0.49) \n");
}

TEST(Report, ZeroAndNotANumberSumsDivideByOne) {
    EXPECT_EQ(report_of(scored({{-1, {0.0, 0.0, 0.0, 0.0}}})), "  1: \n");
    EXPECT_EQ(report_of(scored({{0, {0.0, 0.0, 0.0, 0.0}}})), "# Is class 1\n# Classe  2  3  1  4\n");
    EXPECT_EQ(report_of(scored({{-1, {NAN, 0.5, 0.25}}})), "  1: R (0.50) D (0.25) \n");
}

TEST(Report, NegativeSumDividesEveryShare) {
    // -1 ranks before -3; both shares are positive after the division by -4.
    EXPECT_EQ(report_of(scored({{-1, {-1.0, -3.0}}})), "  1: A (0.25) R (0.75) \n");
}

TEST(Report, SingleTypeAndRepeatedCalls) {
    const data_t data = scored({{-1, {0.004}}, {0, {0.0}}});
    const std::string once = report_of(data);
    EXPECT_EQ(once, "  1: A (1.00) \n# Is class 1\n# Classe  1\n");
    EXPECT_EQ(report_of(data), once);
}

}  // namespace
