// SPDX-License-Identifier: GPL-3.0-or-later
// Selected-assignment enumerator: candidate rule, pruning, order of assignments.
#include "engines/select_enum.h"

#include <gtest/gtest.h>

#include <utility>

#include "test_support.h"

namespace {

struct lists_t {
    enum_data_t enumd;
    int result;
    int n, m;
};

// Candidate lists of the shifts over atoms with the given means and standard deviations.
lists_t candidate_lists(const std::vector<double> &mean, const std::vector<double> &std_dev,
                        const std::vector<double> &shifts) {
    lists_t l;
    l.n = static_cast<int>(shifts.size());
    l.m = static_cast<int>(mean.size());
    alloc_enum_data(l.enumd, l.n > 0 ? l.n : 1, l.m);
    l.result = init_enum_data(l.enumd, mean.data(), std_dev.data(), l.m, 0, l.n, shifts.data());
    return l;
}

std::vector<int> list_of(const lists_t &l, int i) {
    return std::vector<int>(l.enumd.val[i], l.enumd.val[i] + l.enumd.max_val[i]);
}

// Every assignment, as the atom of each shift, in enumeration order.
std::vector<std::vector<int>> assignments(lists_t &l) {
    std::vector<std::vector<int>> all;
    for (int r = select_enum_init_first(l.enumd, l.n, l.m); r == 0; r = select_enum_next(l.enumd, l.n)) {
        std::vector<int> atoms;
        for (int i = 0; i < l.n; i++) atoms.push_back(l.enumd.val[i][l.enumd.pos[i]]);
        all.push_back(atoms);
    }
    return all;
}

TEST(SelectEnum, CandidateRuleIsOnTheDensityNotTheDistance) {
    EXPECT_EQ(candidate_lists({0.0}, {1.0}, {5.0}).result, 0);  // density 1.49e-06
    EXPECT_EQ(candidate_lists({0.0}, {1.0}, {5.07}).result, 0);
    EXPECT_EQ(candidate_lists({0.0}, {1.0}, {5.08}).result, 1);
    EXPECT_EQ(candidate_lists({0.0}, {1.0}, {-5.1}).result, 1);  // density 8.97e-07
    EXPECT_EQ(candidate_lists({0.0}, {0.1}, {0.551}).result, 0);
    EXPECT_EQ(candidate_lists({0.0}, {0.1}, {0.552}).result, 1);
    // A standard deviation of 0 gives no density at all: never a candidate.
    EXPECT_EQ(candidate_lists({0.0}, {0.0}, {0.0}).result, 1);
    lists_t l = candidate_lists({4.0, 4.0, 4.0}, {0.5, 0.0, 0.5}, {4.0});
    EXPECT_EQ(list_of(l, 0), (std::vector<int>{0, 2}));
}

TEST(SelectEnum, SingleCandidatesArePrunedFromOtherLists) {
    // Before pruning: {2}, {0, 2}, {0, 1, 2}.
    lists_t l = candidate_lists({0.0, 6.0, 10.0}, {1.0, 1.0, 10.0}, {30.0, -2.0, 3.0});
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(list_of(l, 0), (std::vector<int>{2}));
    EXPECT_EQ(list_of(l, 1), (std::vector<int>{0}));
    EXPECT_EQ(list_of(l, 2), (std::vector<int>{1}));
    EXPECT_EQ(assignments(l), (std::vector<std::vector<int>>{{2, 0, 1}}));
}

TEST(SelectEnum, TwoShiftsLeftWithOneAtomGiveTwo) {
    // {1}, {1, 3}, {1}: shift 1 loses atom 1, then shift 2 needs it alone.
    lists_t l = candidate_lists({0.0, 10.0, 20.0, 13.0}, {1.0, 1.0, 1.0, 0.5}, {10.0, 11.5, 9.5});
    EXPECT_EQ(l.result, 2);
}

TEST(SelectEnum, ShiftWithoutCandidateStopsTheLists) {
    lists_t l = candidate_lists({0.0, 1.0}, {1.0, 1.0}, {1000.0, 0.5});
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.enumd.max_val[1], 0);
}

TEST(SelectEnum, ZeroShiftsHaveOneEmptyAssignment) {
    lists_t l = candidate_lists({0.0, 1.0}, {1.0, 1.0}, {});
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(select_enum_init_first(l.enumd, 0, 2), 0);
    EXPECT_EQ(l.enumd.tag, (std::vector<int>{-1, -1}));
    EXPECT_EQ(select_enum_next(l.enumd, 0), 1);
}

TEST(SelectEnum, MoreShiftsThanCandidateAtomsHaveNoAssignment) {
    lists_t l = candidate_lists({0.0, 0.5, 100.0}, {1.0, 1.0, 1.0}, {0.1, 0.2, 0.3});
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(select_enum_init_first(l.enumd, l.n, l.m), 1);
}

TEST(SelectEnum, AssignmentsComeInLexicographicOrder) {
    lists_t all = candidate_lists({0.0, 0.1, 0.2}, {1.0, 1.0, 1.0}, {0.0, 0.1});
    EXPECT_EQ(assignments(all), (std::vector<std::vector<int>>{{0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 0}, {2, 1}}));
    // Exhausted: every position and every tag is free again.
    EXPECT_EQ(all.enumd.pos, (std::vector<int>{-1, -1}));
    EXPECT_EQ(all.enumd.tag, (std::vector<int>{-1, -1, -1}));

    // Candidates {0, 1} and {0, 1, 2}.
    lists_t some = candidate_lists({0.0, 0.1, 9.0}, {1.0, 1.0, 1.0}, {0.0, 5.0});
    ASSERT_EQ(list_of(some, 0), (std::vector<int>{0, 1}));
    ASSERT_EQ(list_of(some, 1), (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(select_enum_init_first(some.enumd, 2, 3), 0);
    EXPECT_EQ(some.enumd.tag, (std::vector<int>{0, 1, -1}));
    EXPECT_EQ(assignments(some), (std::vector<std::vector<int>>{{0, 1}, {0, 2}, {1, 0}, {1, 2}}));
}

TEST(SelectEnum, ThreeShiftsOverFourAtomsVisitEveryArrangementOnce) {
    lists_t l = candidate_lists({0.0, 0.1, 0.2, 0.3}, {1.0, 1.0, 1.0, 1.0}, {0.0, 0.1, 0.2});
    const std::vector<std::vector<int>> seen = assignments(l);
    EXPECT_EQ(seen.size(), 24u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
}

TEST(SelectEnum, PrintShowsPositionsAndTags) {
    lists_t l = candidate_lists({0.0, 0.1, 9.0}, {1.0, 1.0, 1.0}, {0.0, 5.0});
    select_enum_init_first(l.enumd, 2, 3);
    testing::internal::CaptureStdout();
    print_enum(l.enumd, 2, 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " + pos:\n   0   1\n + tag:\n   0   1  -1\n");
}

TEST(SelectEnum, FreeingTwiceReportsEachArrayOnStandardOutput) {
    lists_t l = candidate_lists({0.0}, {1.0}, {0.0});
    free_enum_data(l.enumd);
    const outcome_t o = run_captured([&] { free_enum_data(l.enumd); });
    EXPECT_EQ(o.status, -1);
    for (const char *name : {"(enumd->val)[0]", "enumd->val", "enumd->max_val", "enumd->pos", "enumd->tag"})
        EXPECT_NE(o.out.find(" in free_enum_data\nTrying to free a NULL pointer: " + std::string(name) + "\n"),
                  std::string::npos)
            << o.out;
}

}  // namespace
