// SPDX-License-Identifier: GPL-3.0-or-later
// The four scoring models: worked examples, zero results, agreements between
// models, and the model pass with its count test.
#include "engines/engines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "linalg/density.h"
#include "test_support.h"

namespace {

struct atom_t {
    double mean, std_dev, miss;
};

// A type with the given H, C and N atoms; without an explicit covariance
// matrix the covariances are 0 and each variance is std_dev².
stat_data_t make_type(const std::vector<atom_t> &H, const std::vector<atom_t> &C, const std::vector<atom_t> &N,
                      const std::vector<std::vector<double>> &cov = {}) {
    stat_data_t s;
    s.H_num = static_cast<int>(H.size());
    s.C_num = static_cast<int>(C.size());
    s.N_num = static_cast<int>(N.size());
    s.atom_num = s.H_num + s.C_num + s.N_num;
    for (const auto *block : {&H, &C, &N})
        for (const atom_t &a : *block) {
            s.mean.push_back(a.mean);
            s.std_dev.push_back(a.std_dev);
            s.miss.push_back(a.miss);
        }
    std::vector<std::vector<double>> rows = cov;
    if (rows.empty()) {
        rows.assign(s.atom_num, std::vector<double>(s.atom_num, 0.0));
        for (int i = 0; i < s.atom_num; i++) rows[i][i] = s.std_dev[i] * s.std_dev[i];
    }
    s.cov = matrix_of(rows);
    return s;
}

value_data_t make_spin(const std::vector<double> &H, const std::vector<double> &C, const std::vector<double> &N) {
    value_data_t v;
    v.res_type = -1;
    v.H_val = H;
    v.C_val = C;
    v.N_val = N;
    v.H_num = static_cast<int>(H.size());
    v.C_num = static_cast<int>(C.size());
    v.N_num = static_cast<int>(N.size());
    v.total_num = v.H_num + v.C_num + v.N_num;
    return v;
}

const double pi2 = 6.283185307179586;

// Two H atoms, no C atom, one N atom.
stat_data_t worked_type() { return make_type({{8.0, 0.5, 0.1}, {4.5, 0.4, 0.2}}, {}, {{120.0, 4.0, 0.05}}); }

TEST(FullPermIndep, WorkedExamples) {
    const stat_data_t s = worked_type();
    EXPECT_NEAR(full_perm_indep_proba(make_spin({8.2}, {}, {118.0}), s), 0.0110855, 5e-8);

    // Two H shifts: one choice, both orders, identity first.
    const double g = gauss_proba(118.0, 120.0, 4.0) * 0.95;
    const double identity = 0.72 * gauss_proba(8.2, 8.0, 0.5) * gauss_proba(4.4, 4.5, 0.4);
    const double swapped = 0.72 * gauss_proba(8.2, 4.5, 0.4) * gauss_proba(4.4, 8.0, 0.5);
    EXPECT_NEAR(full_perm_indep_proba(make_spin({8.2, 4.4}, {}, {118.0}), s), (identity + swapped) * g, 1e-15);
}

TEST(FullPermIndep, MissingRatesAndEmptySpinSystems) {
    const stat_data_t s = worked_type();
    // No shift at all: every atom missing.
    EXPECT_DOUBLE_EQ(full_perm_indep_proba(make_spin({}, {}, {}), s), 0.1 * 0.2 * 0.05);
    // A miss of 1 silences every attachment that observes the atom; a miss of 0 every one that leaves it out.
    const stat_data_t certain = make_type({{8.0, 0.5, 1.0}, {4.5, 0.4, 0.0}}, {}, {});
    EXPECT_EQ(full_perm_indep_proba(make_spin({8.0}, {}, {}), certain), gauss_proba(8.0, 4.5, 0.4));
    EXPECT_EQ(full_perm_indep_proba(make_spin({}, {}, {}), certain), 0.0);
    // A standard deviation of 0 gives not a number.
    const stat_data_t flat = make_type({{8.0, 0.0, 0.1}}, {}, {});
    EXPECT_TRUE(std::isnan(full_perm_indep_proba(make_spin({8.0}, {}, {}), flat)));
}

TEST(FullPermDep, WorkedExample) {
    const stat_data_t s = make_type({{8.0, 0.5, 0.1}}, {}, {{120.0, 4.0, 0.05}}, {{0.25, 0.5}, {0.5, 16.0}});
    EXPECT_NEAR(full_perm_dep_proba(make_spin({8.2}, {}, {118.0}), s), 0.0535356, 5e-8);
    const double density = std::exp(-0.272 - std::log(pi2) - 0.5 * std::log(3.75));
    EXPECT_NEAR(full_perm_dep_proba(make_spin({8.2}, {}, {118.0}), s), 0.9 * 0.95 * density, 1e-15);
}

TEST(FullPermDep, SingleShiftSumsOverTheAtomsOfItsNucleus) {
    const stat_data_t s =
        make_type({{8.0, 0.5, 0.1}, {4.5, 0.4, 0.2}}, {{50.0, 2.0, 0.3}}, {},
                  {{0.3, 0.1, 0.2}, {0.1, 0.2, 0.05}, {0.2, 0.05, 4.0}});
    const double expected = 0.9 * 0.2 * 0.3 * gauss_proba(7.0, 8.0, std::sqrt(0.3)) +
                            0.1 * 0.8 * 0.3 * gauss_proba(7.0, 4.5, std::sqrt(0.2));
    EXPECT_NEAR(full_perm_dep_proba(make_spin({7.0}, {}, {}), s), expected, 1e-15);
}

// Two H atoms with an indefinite covariance block: for the shifts 9 and 3 the
// attachment (9 → atom 0, 3 → atom 1) has d = -2 and log-determinant -ln 3.
stat_data_t indefinite_type() {
    return make_type({{8.0, 0.5, 0.0}, {4.0, 0.5, 0.0}}, {}, {}, {{1.0, 2.0}, {2.0, 1.0}});
}

TEST(FullPermDep, NegativeDistanceUsesMinusDAndMinusHalfLogDeterminant) {
    const double near = std::exp(-1.0 - std::log(pi2) - 0.5 * std::log(3.0));
    EXPECT_NEAR(near, 0.0338038, 5e-8);
    // The swapped attachment: x - mu = (-5, 5), d = -50.
    const double far = std::exp(-25.0 - std::log(pi2) - 0.5 * std::log(3.0));
    EXPECT_NEAR(full_perm_dep_proba(make_spin({9.0, 3.0}, {}, {}), indefinite_type()), near + far, 1e-15);
}

TEST(FullPermDep, NoShiftScoresTheMissingRatesOnly) {
    const stat_data_t s = make_type({{8.0, 0.5, 0.1}}, {}, {{120.0, 4.0, 0.05}}, {{0.25, 0.5}, {0.5, 16.0}});
    EXPECT_EQ(full_perm_dep_proba(make_spin({}, {}, {}), s), full_perm_indep_proba(make_spin({}, {}, {}), s));
    EXPECT_EQ(select_perm_dep_proba(make_spin({}, {}, {}), s), select_perm_indep_proba(make_spin({}, {}, {}), s));
    EXPECT_DOUBLE_EQ(select_perm_dep_proba(make_spin({}, {}, {}), s), 0.1 * 0.05);
}

TEST(FullPermDep, SingularCovarianceEndsTheRun) {
    const stat_data_t s = make_type({{8.0, 0.5, 0.1}}, {}, {}, {{0.0}});
    const outcome_t o = run_captured([&] { full_perm_dep_proba(make_spin({8.0}, {}, {}), s); });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Error in lu_matrix_decomposition: singular matrix.\n");
}

TEST(SelectPermIndep, WorkedExampleLeavesOutImplausibleAttachments) {
    const stat_data_t s = worked_type();
    const value_data_t v = make_spin({8.2}, {}, {118.0});
    const double expected = gauss_proba(8.2, 8.0, 0.5) * (1.0 - 0.1) * 0.2 * (gauss_proba(118.0, 120.0, 4.0) * 0.95);
    EXPECT_NEAR(select_perm_indep_proba(v, s), 0.0110855, 5e-8);
    EXPECT_NEAR(select_perm_indep_proba(v, s), expected, 1e-16);
    // The full model adds the attachment to the second H atom, about 1.76e-21: below the rounding.
    EXPECT_EQ(full_perm_indep_proba(v, s), select_perm_indep_proba(v, s));
}

TEST(SelectPermIndep, ZeroResults) {
    const stat_data_t s = worked_type();
    EXPECT_EQ(select_perm_indep_proba(make_spin({30.0}, {}, {}), s), 0.0);          // no candidate
    EXPECT_EQ(select_perm_indep_proba(make_spin({8.0, 8.1}, {}, {}), s), 0.0);      // both need atom 0
    EXPECT_EQ(select_perm_indep_proba(make_spin({}, {}, {120.0, 121.0}), s), 0.0);  // two N shifts, one N atom
    const stat_data_t no_n = make_type({{8.0, 0.5, 0.1}}, {{50.0, 2.0, 0.1}, {52.0, 2.0, 0.1}}, {});
    EXPECT_EQ(select_perm_indep_proba(make_spin({}, {}, {120.0}), no_n), 0.0);
    EXPECT_EQ(select_perm_indep_proba(make_spin({}, {50.0, 51.0, 52.0}, {}), no_n), 0.0);
    EXPECT_EQ(select_perm_dep_proba(make_spin({}, {50.0, 51.0, 52.0}, {}), no_n), 0.0);
    EXPECT_EQ(select_perm_dep_proba(make_spin({8.0}, {}, {120.0}), no_n), 0.0);
}

TEST(SelectPermIndep, ZeroStandardDeviationAtomIsAlwaysMissing) {
    const stat_data_t s = make_type({{8.0, 0.0, 0.3}, {8.1, 0.5, 0.2}}, {}, {});
    EXPECT_DOUBLE_EQ(select_perm_indep_proba(make_spin({8.0}, {}, {}), s),
                     0.3 * gauss_proba(8.0, 8.1, 0.5) * 0.8);
}

TEST(SelectPermDep, WorkedExampleAndIndefiniteCase) {
    const stat_data_t s = make_type({{8.0, 0.5, 0.1}}, {}, {{120.0, 4.0, 0.05}}, {{0.25, 0.5}, {0.5, 16.0}});
    EXPECT_NEAR(select_perm_dep_proba(make_spin({8.2}, {}, {118.0}), s), 0.0535356, 5e-8);
    // Only the near attachment is selected: the shifts are 10 sd from the other atom.
    const double near = std::exp(-1.0 - std::log(pi2) - 0.5 * std::log(3.0));
    EXPECT_NEAR(select_perm_dep_proba(make_spin({9.0, 3.0}, {}, {}), indefinite_type()), near, 1e-16);
}

TEST(SelectPermDep, ScoresWithTheCovarianceButSelectsWithTheStandardDeviation) {
    // Variance 1 in cov, standard deviation 0.5 for the candidate rule.
    const stat_data_t s = make_type({{8.0, 0.5, 0.25}}, {}, {}, {{1.0}});
    EXPECT_NEAR(select_perm_dep_proba(make_spin({9.0}, {}, {}), s), 0.75 * gauss_proba(9.0, 8.0, 1.0), 1e-16);
    EXPECT_EQ(select_perm_dep_proba(make_spin({11.0}, {}, {}), s), 0.0);  // 6 sd from the mean
}

// Random types with diagonal covariances and spin systems that fit them.
struct random_pair_t {
    stat_data_t s;
    value_data_t v;
};

random_pair_t random_pair(std::mt19937 &random) {
    std::uniform_int_distribution<int> count(0, 3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<atom_t> blocks[3];
    std::vector<double> shifts[3];
    const double base[3] = {5.0, 50.0, 120.0};
    for (int k = 0; k < 3; k++) {
        const int atoms = count(random);
        for (int a = 0; a < atoms; a++)
            blocks[k].push_back({base[k] + 4.0 * unit(random), 0.3 + unit(random), 0.05 + 0.9 * unit(random)});
        const int shifts_num = std::uniform_int_distribution<int>(0, atoms)(random);
        for (int i = 0; i < shifts_num; i++) shifts[k].push_back(base[k] + 4.0 * unit(random));
    }
    return {make_type(blocks[0], blocks[1], blocks[2]), make_spin(shifts[0], shifts[1], shifts[2])};
}

TEST(ModelAgreement, DiagonalCovarianceMakesTheMvndModelsIndependent) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 300; trial++) {
        const random_pair_t p = random_pair(random);
        const double full = full_perm_indep_proba(p.v, p.s), selected = select_perm_indep_proba(p.v, p.s);
        EXPECT_NEAR(full_perm_dep_proba(p.v, p.s), full, 1e-12 * full) << "trial " << trial;
        EXPECT_NEAR(select_perm_dep_proba(p.v, p.s), selected, 1e-12 * selected) << "trial " << trial;
        EXPECT_LE(selected, full * (1 + 1e-12)) << "trial " << trial;
    }
}

TEST(ModelPass, CountTestScoresZeroWithoutTheEngine) {
    data_t data;
    data.type_num = 2;
    data.sdata.push_back(make_type({{8.0, 0.5, 0.1}}, {}, {}, {{0.0}}));  // singular if ever scored with 2 H
    data.sdata.push_back(make_type({{8.0, 0.5, 0.1}, {4.0, 0.5, 0.1}}, {}, {}));
    data.vdata.push_back(make_spin({8.0, 4.0}, {}, {}));
    data.vdata.push_back(make_spin({8.0}, {}, {}));
    for (value_data_t &v : data.vdata) v.proba.assign(2, -1.0);
    data.spin_num = 2;
    data.sdata[0].cov = matrix_of({{0.25}});

    calculate_full_perm_dep_probas(data);
    EXPECT_EQ(data.vdata[0].proba[0], 0.0);
    EXPECT_EQ(data.vdata[0].proba[1], full_perm_dep_proba(data.vdata[0], data.sdata[1]));
    EXPECT_EQ(data.vdata[1].proba[0], full_perm_dep_proba(data.vdata[1], data.sdata[0]));
    calculate_select_perm_indep_probas(data);
    EXPECT_EQ(data.vdata[0].proba[0], 0.0);
    EXPECT_EQ(data.vdata[1].proba[1], select_perm_indep_proba(data.vdata[1], data.sdata[1]));
}

}  // namespace
