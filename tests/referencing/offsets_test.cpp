// SPDX-License-Identifier: GPL-3.0-or-later
// The referencing check: offsets put into synthetic spin systems drawn from
// the statistics come back within their uncertainty; too few spin systems
// give no estimate; the kinds, thresholds and threads as documented.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "assign/assign_statistics.h"
#include "observe/type_statistics.h"
#include "referencing/offsets.h"

namespace {

const std::string data_dir = KESTRIN_DATA_DIR;

// The backbone atoms of the full statistics (H, HA, C, CA, CB, N).
std::vector<type_statistics_t> backbone_types() {
    const std::vector<type_statistics_t> full =
        read_type_statistics(data_dir + "/stats_full.txt", data_dir + "/atoms_full.txt");
    return restricted_statistics(full, [](int, const selected_atom_t &atom) {
        for (const char *name : {"H", "HA", "C", "CA", "CB", "N"})
            if (atom.name == name) return true;
        return false;
    });
}

// A small generator of our own, so that the draws are the same everywhere.
class draws_t {
   public:
    explicit draws_t(std::uint64_t seed) : state_(seed) {}
    double uniform() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return ((state_ >> 11) + 0.5) / 9007199254740992.0;
    }
    double normal() { return std::sqrt(-2.0 * std::log(uniform())) * std::cos(6.283185307179586 * uniform()); }

   private:
    std::uint64_t state_;
};

// `count` spin systems, the types in turn, every atom of a type observed
// (except those missing more often than not), each shift drawn from its
// atom's normal distribution and then moved by the kind's `moved` ppm.
std::vector<referencing_system_t> synthetic_systems(const std::vector<type_statistics_t> &types, int count,
                                                    const std::array<double, shift_kinds> &moved,
                                                    std::uint64_t seed) {
    draws_t draws(seed);
    std::vector<referencing_system_t> systems;
    for (int s = 0; s < count; s++) {
        const type_statistics_t &type = types[s % types.size()];
        referencing_system_t system;
        for (const type_statistics_t &t : types) system.weight[t.amino_acid] = 1.0 / types.size();
        for (int p = 0; p < type.stats.atom_num; p++) {
            if (type.stats.miss[p] > 0.5) continue;
            const char nucleus = type.stats.atom_type[p];
            const double ppm = type.stats.mean[p] + type.stats.std_dev[p] * draws.normal();
            const double shifted = ppm + moved[shift_kind_of(nucleus, ppm)];
            (nucleus == 'H' ? system.h : nucleus == 'C' ? system.c : system.n).push_back(shifted);
        }
        systems.push_back(std::move(system));
    }
    return systems;
}

// The spin systems holding a shift of the kind.
long carrying(const std::vector<referencing_system_t> &systems, int kind) {
    long count = 0;
    for (const referencing_system_t &system : systems) {
        bool has = false;
        for (double ppm : system.h) has = has || shift_kind_of('H', ppm) == kind;
        for (double ppm : system.c) has = has || shift_kind_of('C', ppm) == kind;
        for (double ppm : system.n) has = has || shift_kind_of('N', ppm) == kind;
        count += has ? 1 : 0;
    }
    return count;
}

TEST(ReferencingOffsets, KnownOffsetsComeBackWithinTheirUncertainty) {
    const std::vector<type_statistics_t> types = backbone_types();
    struct case_t {
        std::array<double, shift_kinds> moved;  // C, CO, N, H
        std::uint64_t seed;
    };
    const case_t cases[] = {
        {{0.0, 0.0, 0.0, 0.0}, 1},   {{2.0, 2.0, 0.0, 0.0}, 2},  {{-3.0, -3.0, 0.0, 0.0}, 3},
        {{1.5, 0.0, -2.0, 0.0}, 4},  {{0.0, 0.0, 2.0, 0.3}, 5},  {{-1.5, 1.0, 1.0, -0.3}, 6},
        {{4.0, 0.0, 0.0, 0.0}, 7},   {{0.0, 0.0, -4.0, 0.0}, 8},
    };
    // Spin systems drawn from the statistics themselves have no spread
    // between proteins: the uncertainty is the likelihood's own.
    referencing_settings_t within;
    within.protein_spread = {0.0, 0.0, 0.0, 0.0};
    for (const case_t &c : cases) {
        const std::vector<referencing_system_t> systems = synthetic_systems(types, 120, c.moved, c.seed);
        const std::array<offset_estimate_t, shift_kinds> found = estimate_offsets(systems, types, {}, within);
        for (int k = 0; k < shift_kinds; k++) {
            const offset_estimate_t &e = found[k];
            ASSERT_TRUE(e.estimated) << shift_kind_key(k) << " seed " << c.seed;
            EXPECT_EQ(e.spin_systems, carrying(systems, k)) << shift_kind_key(k);
            EXPECT_GE(e.spin_systems, 100) << shift_kind_key(k);
            // The estimate is what undoes the move.
            EXPECT_NEAR(e.offset, -c.moved[k], 3.0 * e.uncertainty)
                << shift_kind_key(k) << " moved by " << c.moved[k] << " (seed " << c.seed << "): got " << e.offset
                << " +- " << e.uncertainty;
            EXPECT_GT(e.uncertainty, 0.0) << shift_kind_key(k);
            EXPECT_LT(e.uncertainty, k == kind_h ? 0.05 : 0.5) << shift_kind_key(k) << " seed " << c.seed;
        }
    }
}

TEST(ReferencingOffsets, TheSpreadBetweenProteinsAddsInQuadrature) {
    const std::vector<type_statistics_t> types = backbone_types();
    const std::vector<referencing_system_t> systems = synthetic_systems(types, 60, {1.0, 0.0, 0.0, 0.0}, 51);
    referencing_settings_t within, spread;
    within.protein_spread = {0.0, 0.0, 0.0, 0.0};
    spread.protein_spread = {0.3, 0.4, 0.5, 0.05};
    const auto a = estimate_offsets(systems, types, {}, within), b = estimate_offsets(systems, types, {}, spread);
    for (int k = 0; k < shift_kinds; k++) {
        EXPECT_EQ(a[k].offset, b[k].offset) << shift_kind_key(k);
        EXPECT_NEAR(b[k].uncertainty, std::hypot(a[k].uncertainty, spread.protein_spread[k]), 1e-12)
            << shift_kind_key(k);
    }
}

TEST(ReferencingOffsets, TooFewSpinSystemsGiveNoEstimate) {
    const std::vector<type_statistics_t> types = backbone_types();
    for (const int count : {0, 1, 9, 10, 11}) {
        const std::vector<referencing_system_t> systems =
            synthetic_systems(types, count, {2.0, 0.0, 0.0, 0.0}, 11);
        const std::array<offset_estimate_t, shift_kinds> found = estimate_offsets(systems, types);
        for (int k = 0; k < shift_kinds; k++) {
            EXPECT_EQ(found[k].estimated, count >= 10) << shift_kind_key(k) << " with " << count;
            EXPECT_EQ(found[k].spin_systems, carrying(systems, k)) << shift_kind_key(k);
            if (!found[k].estimated) {
                EXPECT_EQ(found[k].offset, 0.0) << shift_kind_key(k) << " with " << count;
            }
        }
    }
    // Spin systems without a kind do not count for it.
    std::vector<referencing_system_t> no_nitrogen = synthetic_systems(types, 30, {}, 12);
    for (std::size_t s = 0; s < no_nitrogen.size(); s++)
        if (s >= 5) no_nitrogen[s].n.clear();
    const std::array<offset_estimate_t, shift_kinds> found = estimate_offsets(no_nitrogen, types);
    EXPECT_FALSE(found[kind_n].estimated);
    EXPECT_EQ(found[kind_n].spin_systems, 5);
    EXPECT_TRUE(found[kind_c].estimated);
}

TEST(ReferencingOffsets, AnImposedOffsetIsHeldWhileTheOthersAreEstimated) {
    const std::vector<type_statistics_t> types = backbone_types();
    const std::vector<referencing_system_t> systems = synthetic_systems(types, 120, {2.0, 2.0, 1.5, 0.0}, 21);
    std::array<std::optional<double>, shift_kinds> imposed;
    imposed[kind_n] = -1.5;
    const std::array<offset_estimate_t, shift_kinds> found = estimate_offsets(systems, types, imposed);
    EXPECT_FALSE(found[kind_n].estimated);
    EXPECT_EQ(found[kind_n].offset, -1.5);
    EXPECT_EQ(found[kind_n].spin_systems, carrying(systems, kind_n));
    EXPECT_TRUE(found[kind_c].estimated);
    EXPECT_NEAR(found[kind_c].offset, -2.0, 3.0 * found[kind_c].uncertainty) << found[kind_c].offset;
}

TEST(ReferencingOffsets, TheLikelihoodStaysFiniteFarFromEveryMean) {
    const std::vector<type_statistics_t> types = backbone_types();
    const std::vector<referencing_system_t> systems = synthetic_systems(types, 40, {}, 31);
    double previous = referencing_log_likelihood(systems, types, {});
    ASSERT_TRUE(std::isfinite(previous));
    // Moving 13C ever further only lowers log L, and never to minus infinity.
    for (const double d : {1.0, 3.0, 5.0, 10.0, 20.0}) {
        const double value = referencing_log_likelihood(systems, types, {d, d, 0.0, 0.0});
        EXPECT_TRUE(std::isfinite(value)) << d;
        EXPECT_LT(value, previous) << d;
        previous = value;
    }
}

// A stand-in for the statistics of one secondary-structure class: the
// types with the means of CA moved by 2 `by`, of CB by -2 `by` and of N by
// -1.5 `by` ppm (a helix's way, `by` 1; a strand's, `by` -1).
std::vector<type_statistics_t> class_like(const std::vector<type_statistics_t> &types, double by) {
    std::vector<type_statistics_t> moved;
    for (const type_statistics_t &type : types) {
        type_statistics_t m{type.amino_acid, type.atoms, copy_statistics(type.stats), {}, 0.0};
        for (int p = 0; p < m.stats.atom_num; p++) {
            const std::string &name = m.atoms[p].name;
            m.stats.mean[p] += name == "CA" ? 2.0 * by : name == "CB" ? -2.0 * by : name == "N" ? -1.5 * by : 0.0;
        }
        moved.push_back(std::move(m));
    }
    return moved;
}

TEST(ReferencingOffsets, ClassSharesMixEachTypeOverItsClasses) {
    const std::vector<type_statistics_t> types = backbone_types();
    // Each type listed twice with shares of one half is the type itself.
    const std::vector<referencing_system_t> systems = synthetic_systems(types, 60, {0.4, 0.0, -0.6, 0.05}, 61);
    std::vector<type_statistics_t> twice = class_like(types, 0.0), second = class_like(types, 0.0);
    for (type_statistics_t &type : second) twice.push_back(std::move(type));
    const std::vector<double> halves(twice.size(), 0.5);
    const std::array<double, shift_kinds> at{0.2, 0.0, 0.3, -0.02};
    EXPECT_NEAR(referencing_log_likelihood(systems, twice, at, {}, halves), referencing_log_likelihood(systems, types, at),
                1e-9);

    // A correctly referenced protein all of strands, whose 15N lie above a
    // helix's: statistics averaged over both classes take the class for a
    // 15N offset (its carbons' moves cancel), the mixture tells the class by
    // the carbons and does not.
    const std::vector<referencing_system_t> all_sheet = synthetic_systems(class_like(types, -1.0), 200, {}, 62);
    std::vector<type_statistics_t> classes = class_like(types, 1.0), more = class_like(types, -1.0);
    for (type_statistics_t &type : more) classes.push_back(std::move(type));
    const auto averaged = estimate_offsets(all_sheet, types);
    const auto mixed = estimate_offsets(all_sheet, classes, {}, {}, std::vector<double>(classes.size(), 0.5));
    EXPECT_LT(averaged[kind_n].offset, -0.75);
    EXPECT_NEAR(mixed[kind_n].offset, 0.0, 0.3) << mixed[kind_n].offset;
    EXPECT_NEAR(mixed[kind_c].offset, 0.0, 0.3) << mixed[kind_c].offset;
}

TEST(ReferencingOffsets, TheSameEstimatesOnAnyNumberOfThreads) {
    const std::vector<type_statistics_t> types = backbone_types();
    const std::vector<referencing_system_t> systems = synthetic_systems(types, 100, {1.2, 0.0, -0.7, 0.1}, 41);
    referencing_settings_t one, three;
    three.threads = 3;
    const auto a = estimate_offsets(systems, types, {}, one), b = estimate_offsets(systems, types, {}, three);
    for (int k = 0; k < shift_kinds; k++) {
        EXPECT_EQ(a[k].offset, b[k].offset) << shift_kind_key(k);
        EXPECT_EQ(a[k].uncertainty, b[k].uncertainty) << shift_kind_key(k);
    }
}

TEST(ReferencingOffsets, KindsThresholdsAndSignificance) {
    struct kind_case_t {
        char nucleus;
        double ppm;
        int kind;
    };
    for (const kind_case_t &c : {kind_case_t{'C', 56.0, kind_c}, kind_case_t{'C', 164.99, kind_c},
                                 kind_case_t{'C', 165.0, kind_co}, kind_case_t{'C', 176.0, kind_co},
                                 kind_case_t{'N', 120.0, kind_n}, kind_case_t{'H', 8.2, kind_h}})
        EXPECT_EQ(shift_kind_of(c.nucleus, c.ppm), c.kind) << c.nucleus << " " << c.ppm;
    struct significance_case_t {
        int kind;
        double offset, uncertainty;
        bool estimated, significant;
    };
    const significance_case_t cases[] = {
        {kind_c, 0.5, 0.01, true, false},   {kind_c, 0.51, 0.01, true, true},   {kind_c, -0.51, 0.01, true, true},
        {kind_c, 0.9, 0.31, true, false},   {kind_c, 0.94, 0.31, true, true},    {kind_co, 0.51, 0.1, true, true},
        {kind_n, 1.0, 0.1, true, false},    {kind_n, -1.01, 0.1, true, true},   {kind_h, 0.1, 0.01, true, false},
        {kind_h, 0.11, 0.01, true, true},   {kind_c, 2.0, INFINITY, true, false}, {kind_c, 3.0, 0.1, false, false},
    };
    for (const significance_case_t &c : cases) {
        offset_estimate_t e;
        e.estimated = c.estimated;
        e.offset = c.offset;
        e.uncertainty = c.uncertainty;
        EXPECT_EQ(is_significant(c.kind, e), c.significant)
            << shift_kind_key(c.kind) << " " << c.offset << " +- " << c.uncertainty;
    }
}

}  // namespace
