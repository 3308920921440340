// SPDX-License-Identifier: GPL-3.0-or-later
// The referencing check: one offset per kind of shift for a whole protein,
// found by maximum likelihood over its spin systems without their assignments.
//
// The method. Let the kinds be aliphatic 13C (CA, CB, side chains: "C"),
// carbonyl 13C ("CO"), 15N ("N") and 1H ("H"). For an offset d of a kind,
// every shift of that kind is moved by d, and each spin system's likelihood
// is a mixture over the types it may be,
//
//     L_s(d) = sum over types t of w_s(t) * P(shifts of s moved by d | t),
//
// with w_s the prior weight of each type (the composition of the residues
// left in the sequence, uniform without one; the declared type alone for a
// spin system whose type is known). With statistics per secondary-structure
// class, P(shifts | t) is itself the mixture sum_c share(t, c) P_c(shifts | t):
// a protein's share of helices moves the mean of its 15N, 1H and 13C as much
// as a small offset would, and the mixture places each spin system in its
// class by all its shifts together instead. P is the independent model: the sum
// over every way of giving each shift to a distinct atom of its nucleus,
// each atom observed with 1 - its missing rate, its shift following the
// type's mean and standard deviation. Each atom's density is a normal with
// a broad tail,
//
//     (1 - tail_share) * N(x; mean, sd) + tail_share * N(x; mean, tail_width * sd),
//
// so that no trial offset makes any spin system impossible (the dependent
// models give a total of 0 at some offsets, which would drag the estimate)
// and a single odd shift cannot pull the offset towards itself. The
// estimate maximises log L(d) = sum over spin systems of log L_s(d).
//
// The search. Each kind in turn (C, N, H, CO): log L on a grid of trial
// offsets (±5 ppm in steps of 1 for 13C and 15N, ±0.5 in steps of 0.1 for
// 1H: the likelihood of a whole protein has one broad peak in that range);
// the peak of the parabola through the best grid point and its two
// neighbours; then two more parabolas through the peak found and points a
// quarter of the spacing before either side of it. Near its maximum log L
// is close to a parabola (a sum of terms that are nearly normal in d), so
// the last one places the peak to a few thousandths of a ppm. Then all four
// kinds again, since they interact through the type mixture, each by two
// parabolas around its offset (at half a grid step, then an eighth), a kind
// only when another has moved by more than a quarter of its grid step since
// the kind was last searched. Only the
// spin systems holding a shift of the kind enter its search; the factors
// of the other nuclei of each pair (spin system, type) are kept, so a trial
// offset costs one nucleus sum per pair.
//
// The uncertainty. At the maximum, from the per-spin-system log-likelihoods
// l_s at d ± h: the curvature H = sum of l_s'' and the spread of the
// per-spin-system slopes g_s. The uncertainty is the larger of
// 1 / sqrt(-H) (the curvature alone) and sqrt(sum g_s^2) / -H (the robust,
// sandwich form, which grows when the spin systems disagree more than the
// statistics expect), combined in quadrature with `protein_spread`: the
// spread that remains between the estimates of correctly referenced
// proteins however many spin systems they have (their secondary structure,
// their composition, the neighbours of each residue move the mean shifts of
// a whole protein). The spreads are those measured on the 46 proteins of
// data/raw that the held-out tests leave alone, scored with the default
// statistics (which were not built from them): the root of the mean square
// estimate less the mean square curvature uncertainty, 0.14 ppm (13C),
// 0.51 (C'), 0.43 (15N) and 0.07 (1H) with one statistics file, and 0.125,
// 0.19, 0.35 and 0.064 with the statistics per class (the class mixture
// takes up what secondary structure moves, C' most of all). A kind that
// fewer than `least_spin_systems` spin systems carry is not estimated.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "observe/type_statistics.h"

// The kinds of shift that get an offset, in the order of every array here.
enum shift_kind_t { kind_c, kind_co, kind_n, kind_h, shift_kinds };

// "C", "CO", "N", "H".
const char *shift_kind_key(int kind);
// "aliphatic 13C", "carbonyl 13C", "15N", "1H".
const char *shift_kind_words(int kind);
// The kind of a shift from its nucleus and value: a 13C shift of at least
// `carbonyl_least_ppm` is a carbonyl (C', and the side-chain carboxyl and
// amide carbons, all 170-182 ppm; the aromatic carbons stay below 160).
constexpr double carbonyl_least_ppm = 165.0;
int shift_kind_of(char nucleus, double ppm);

// The offsets past which a kind counts as mis-referenced, ppm: an estimate
// must also lie `significance_sds` uncertainties from 0.
double offset_threshold(int kind);
constexpr double significance_sds = 3.0;

// One spin system as the check reads it.
struct referencing_system_t {
    std::vector<double> h, c, n;          // the shifts scored, ppm, per nucleus
    std::array<double, 20> weight{};      // prior weight of each type (AA3 index), summing to 1; 0 for a type
                                          // it cannot be
};

struct offset_estimate_t {
    bool estimated = false;    // false: too few spin systems carry the kind (or it was imposed)
    double offset = 0.0;       // ppm to add to the kind's shifts; 0 when not estimated
    double uncertainty = 0.0;  // ppm, one standard deviation; infinite when log L is flat at the maximum
    long spin_systems = 0;     // spin systems holding a shift of the kind
};

struct referencing_settings_t {
    long least_spin_systems = 10;                        // fewer carrying a kind: no estimate of it
    std::array<double, shift_kinds> half_range{5.0, 5.0, 5.0, 0.5};  // grid from -half_range to +half_range, ppm
    std::array<double, shift_kinds> grid_step{1.0, 1.0, 1.0, 0.1};  // ppm
    std::array<double, shift_kinds> protein_spread{0.15, 0.5, 0.45, 0.07};  // ppm, one statistics file; see above
    double tail_share = 0.05;                            // weight of the broad tail of each atom's density
    double tail_width = 5.0;                             // its standard deviation, in the atom's
    int passes = 2;                                      // rounds over the four kinds
    int refinements = 2;                                 // parabolas after the grid, and in each later round
    int threads = 1;                                     // threads the likelihood is computed on
};

// The spread between correctly referenced proteins when each type is the
// mixture over its secondary-structure classes, ppm (see above).
constexpr std::array<double, shift_kinds> protein_spread_by_class{0.125, 0.19, 0.35, 0.064};

// True when the estimate exceeds its kind's threshold and lies more than
// `significance_sds` uncertainties from 0.
bool is_significant(int kind, const offset_estimate_t &estimate);

// log L of the spin systems with every kind moved by its offset, under the
// statistics `types` (the atoms that take part). `shares`, when given, is
// parallel to `types`: statistics per secondary-structure class list each
// type once per class, and the type's likelihood is then the mixture
//     P(shifts | t) = sum over classes c of share(t, c) P_c(shifts | t),
// so each entry of `types` enters L_s with w_s(t) times its share.
double referencing_log_likelihood(const std::vector<referencing_system_t> &systems,
                                  const std::vector<type_statistics_t> &types,
                                  const std::array<double, shift_kinds> &offsets,
                                  const referencing_settings_t &settings = {},
                                  const std::vector<double> &shares = {});

// The estimate of each kind. A kind with an imposed offset is not estimated
// but held at that offset while the others are; its entry has `estimated`
// false, its offset the imposed one and its spin systems counted.
std::array<offset_estimate_t, shift_kinds> estimate_offsets(
    const std::vector<referencing_system_t> &systems, const std::vector<type_statistics_t> &types,
    const std::array<std::optional<double>, shift_kinds> &imposed = {}, const referencing_settings_t &settings = {},
    const std::vector<double> &shares = {});
