// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics recipe on small hand-checked data: outlier cut, add-one
// missing rate, correlation thresholds, eigenvalue floor, symmetry and
// Cholesky; which residues and atoms count; the archive table; the options.
#include <gtest/gtest.h>

#include <cmath>

#include "formats/atom_selection.h"
#include "formats/format_error.h"
#include "stats/archive_means.h"
#include "stats/stats_options.h"
#include "stats/stats_run.h"
#include "stats/stats_writer.h"
#include "test_support.h"

namespace {

std::vector<observation_t> observed(const std::vector<double> &values) {
    std::vector<observation_t> o;
    for (std::size_t i = 0; i < values.size(); i++) o.push_back({static_cast<long>(i), values[i]});
    return o;
}

std::string error_of(const std::function<void()> &call) {
    try {
        call();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Recipe, MomentsLeaveOutValuesBeyondTheFirstPassWindow) {
    // 1 2 3 4 20: first pass mean 6, sd sqrt(250/4) = 7.906; 20 lies 14 away,
    // beyond 1.5 sd (11.86), so mean and sd come from 1 2 3 4.
    const atom_moments_t m = atom_moments(observed({1, 2, 3, 4, 20}), 1.5, "ALA HB");
    EXPECT_EQ(m.n_obs, 5);
    EXPECT_EQ(m.min, 1.0);
    EXPECT_EQ(m.max, 20.0);
    EXPECT_DOUBLE_EQ(m.window_mean, 6.0);
    EXPECT_DOUBLE_EQ(m.window_sd, std::sqrt(250.0 / 4));
    EXPECT_EQ(m.outliers, 1);
    EXPECT_DOUBLE_EQ(m.mean, 2.5);
    EXPECT_DOUBLE_EQ(m.sd, std::sqrt(5.0 / 3));
    EXPECT_EQ(atom_moments(observed({1, 2, 3, 4, 20}), 5.0, "ALA HB").outliers, 0);
}

TEST(Recipe, AValueOnTheWindowEdgeIsKept) {
    // -1 0 1: mean 0 and sd 1 exactly, so 1 sd reaches both ends.
    EXPECT_EQ(atom_moments(observed({-1, 0, 1}), 1.0, "GLY HA2").outliers, 0);
    EXPECT_EQ(error_of([] { atom_moments(observed({-1, 0, 1}), 0.999, "GLY HA2"); }),
              "too few shifts of GLY HA2 left inside the outlier cut to estimate its statistics: 1 of 3, "
              "at least 2 needed");
}

TEST(Recipe, TooFewOrEqualShiftsAreErrorsNamingTheAtom) {
    EXPECT_EQ(error_of([] { atom_moments(observed({}), 5, "TRP HE1"); }),
              "too few shifts of TRP HE1 to estimate its statistics: 0 shifts, at least 2 needed");
    EXPECT_EQ(error_of([] { atom_moments(observed({7.5}), 5, "TRP HE1"); }),
              "too few shifts of TRP HE1 to estimate its statistics: 1 shift, at least 2 needed");
    EXPECT_EQ(error_of([] { atom_moments(observed({1.35, 1.35, 1.35}), 5, "ALA HB"); }),
              "the 3 shifts of ALA HB are all 1.350 ppm: no standard deviation to estimate");
}

TEST(Recipe, TheMeanIsAPlainSumInOrder) {
    // A compensated sum gives 0.5 for both; a plain left-to-right sum loses
    // the small terms against 1e16, and the shipped digits need that sum.
    EXPECT_EQ(plain_mean({1e16, 1.0, 1.0, -1e16}), 0.0);
    EXPECT_EQ(plain_mean({1e16, -1e16, 1.0, 1.0}), 0.5);
}

TEST(Recipe, MissingRateAddsOneAndTwo) {
    const struct {
        long n_res, n_obs;
        double percent;
    } cases[] = {{528, 506, 100.0 * 23 / 530}, {10, 10, 100.0 / 12}, {10, 0, 100.0 * 11 / 12}, {0, 0, 50.0}};
    for (const auto &c : cases) EXPECT_DOUBLE_EQ(missing_percent(c.n_res, c.n_obs), c.percent) << c.n_res << " " << c.n_obs;
}

// Two atoms observed together in residues 0..n-1, y = slope × x + noise.
std::vector<atom_observations_t> two_atoms(int n, double slope) {
    std::vector<atom_observations_t> atoms{{"CA", 'C', {}}, {"CB", 'C', {}}};
    for (int i = 0; i < n; i++) {
        atoms[0].observations.push_back({i, 50.0 + i});
        atoms[1].observations.push_back({i, 30.0 + slope * i + (i % 2 ? 0.5 : -0.5)});
    }
    return atoms;
}

std::vector<atom_moments_t> moments_of(const std::vector<atom_observations_t> &atoms) {
    std::vector<atom_moments_t> m;
    for (const atom_observations_t &a : atoms) m.push_back(atom_moments(a.observations, 5.0, a.name));
    return m;
}

TEST(Recipe, CorrelationsBelowTenPairsOrWithoutSpreadAreZeroOthersClippedThenShrunk) {
    // x = 0..9, y = x ∓ 0.5 alternately: sxx 82.5, sxy 85, syy 90, r = 0.9864.
    auto ten = two_atoms(10, 1.0);
    const double r = 85.0 / std::sqrt(82.5 * 90.0);
    EXPECT_DOUBLE_EQ(shrunk_correlations(ten, moments_of(ten), 5.0).at(0, 1), r * 10 / 20);
    auto nine = two_atoms(9, 1.0);
    EXPECT_EQ(shrunk_correlations(nine, moments_of(nine), 5.0).at(0, 1), 0.0);
    // A slope of 20 makes r 0.9998, clipped to 0.99 before the shrinking.
    auto steep = two_atoms(10, -20.0);
    EXPECT_DOUBLE_EQ(shrunk_correlations(steep, moments_of(steep), 5.0).at(1, 0), -0.99 * 10 / 20);
    // Residues where only one atom is observed are no pairs.
    ten[1].observations.erase(ten[1].observations.begin());
    ten[0].observations.push_back({10, 70.0});
    EXPECT_EQ(shrunk_correlations(ten, moments_of(ten), 5.0).at(0, 1), 0.0);
    // Co-observed values of one side that do not vary, though the atom's do.
    auto flat = two_atoms(12, 0.0);
    for (int i = 0; i < 10; i++) flat[1].observations[i].ppm = 30.0;
    flat[0].observations.resize(10);
    EXPECT_EQ(shrunk_correlations(flat, moments_of(flat), 5.0).at(0, 1), 0.0);
}

TEST(Recipe, OutliersAreLeftOutOfThePairs) {
    // 30 residues; residue 29's CA lies far outside its window, and with it
    // left out the other 29 pairs are exactly linear.
    std::vector<atom_observations_t> atoms{{"CA", 'C', {}}, {"N", 'N', {}}};
    for (int i = 0; i < 30; i++) {
        atoms[0].observations.push_back({i, i == 29 ? 500.0 : 50.0 + 0.1 * i});
        atoms[1].observations.push_back({i, 120.0 - 0.2 * i});
    }
    const std::vector<atom_moments_t> m = moments_of(atoms);
    ASSERT_EQ(m[0].outliers, 1);
    EXPECT_NEAR(shrunk_correlations(atoms, m, 5.0).at(0, 1), -0.99 * 29 / 39, 1e-15);
}

square_matrix_t matrix(const std::vector<std::vector<double>> &rows) {
    square_matrix_t m(static_cast<int>(rows.size()));
    for (int i = 0; i < m.dim; i++)
        for (int j = 0; j < m.dim; j++) m.at(i, j) = rows[i][j];
    return m;
}

TEST(Recipe, TheEigenvalueFloorMakesAnIndefiniteMatrixPositiveDefinite) {
    // Pairwise plausible, jointly impossible: eigenvalues 1.9, 1.9 and -0.8.
    square_matrix_t r = matrix({{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}});
    EXPECT_FALSE(cholesky_succeeds(r));
    ASSERT_TRUE(raise_eigenvalue_floor(r, eigenvalue_floor));
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(r.at(i, i), 1.0);
        for (int j = 0; j < 3; j++) EXPECT_EQ(r.at(i, j), r.at(j, i));
    }
    EXPECT_TRUE(cholesky_succeeds(r));
    const square_matrix_t c = covariances(r, {2.0, 0.5, 4.0});
    EXPECT_TRUE(cholesky_succeeds(c));
    EXPECT_EQ(c.at(0, 0), 4.0);
    EXPECT_EQ(c.at(2, 2), 16.0);
    EXPECT_EQ(c.at(0, 2), c.at(2, 0));
    EXPECT_EQ(c.at(0, 1), r.at(0, 1) * (2.0 * 0.5));
}

TEST(Recipe, TheFloorIsRaisedOnlyBelowIt) {
    // 1 ± 0.99: the smaller eigenvalue is the floor itself, so nothing changes.
    square_matrix_t at_floor = matrix({{1, 0.99}, {0.99, 1}});
    EXPECT_FALSE(raise_eigenvalue_floor(at_floor, eigenvalue_floor));
    EXPECT_EQ(at_floor.at(0, 1), 0.99);
    // 1 ± 0.995: 0.005 is raised to 0.01, giving 1.0025 on the diagonal and
    // 0.9925 off it before the rescaling.
    square_matrix_t below = matrix({{1, 0.995}, {0.995, 1}});
    EXPECT_TRUE(raise_eigenvalue_floor(below, eigenvalue_floor));
    EXPECT_NEAR(below.at(0, 1), 0.9925 / 1.0025, 1e-14);
    EXPECT_EQ(below.at(0, 1), below.at(1, 0));
}

// Boundaries met exactly, in floating point: a smallest eigenvalue that is
// the floor's double itself (a diagonal matrix decomposes without rounding),
// and co-observed shifts lying exactly on their windows' edges.
TEST(Recipe, BoundariesMetExactly) {
    const struct {
        double smallest;
        bool raised;
    } eigenvalues[] = {{eigenvalue_floor, false},
                       {std::nextafter(eigenvalue_floor, 0.0), true},
                       {std::nextafter(eigenvalue_floor, 1.0), false}};
    for (const auto &e : eigenvalues) {
        square_matrix_t diagonal = matrix({{1, 0, 0}, {0, e.smallest, 0}, {0, 0, 2}});
        EXPECT_EQ(raise_eigenvalue_floor(diagonal, eigenvalue_floor), e.raised) << e.smallest;
    }
    // Six residues at -1, one at 0, six at +1: mean 0 and first-pass sd 1
    // exactly, so with a window of 1 sd twelve of the thirteen pairs lie on
    // its edges. Kept, they are 13 pairs of correlation 1: clipped to 0.99,
    // shrunk by 13 / 23. Left out, one pair would give no correlation.
    std::vector<atom_observations_t> atoms{{"CA", 'C', {}}, {"CB", 'C', {}}};
    for (int i = 0; i < 13; i++) {
        const double x = i < 6 ? -1.0 : i == 6 ? 0.0 : 1.0;
        atoms[0].observations.push_back({i, 50.0 + x});
        atoms[1].observations.push_back({i, 30.0 + 2.0 * x});
    }
    const std::vector<atom_moments_t> m = moments_of(atoms);
    ASSERT_EQ(m[0].window_sd, 1.0);
    ASSERT_EQ(m[1].window_sd, 2.0);
    EXPECT_EQ(atom_moments(atoms[0].observations, 1.0, "ALA CA").outliers, 0);
    EXPECT_DOUBLE_EQ(shrunk_correlations(atoms, m, 1.0).at(0, 1), 0.99 * 13 / 23);
    EXPECT_EQ(shrunk_correlations(atoms, m, std::nextafter(1.0, 0.0)).at(0, 1), 0.0);
}

spin_system_t residue(int amino_acid, const std::vector<std::pair<std::string, double>> &shifts) {
    spin_system_t s{"", "1", "1", amino_acid < 0 ? "." : AA3[amino_acid], amino_acid, 1, {}, {}};
    for (const auto &[atom, ppm] : shifts) s.shifts.push_back({atom, atom[0], "", ppm, 1});
    return s;
}

const int ala = 0, gly = 7;

TEST(StatsGathering, ResiduesCountWhenAShiftPassesTheFilter) {
    // Three ALA residues: one with backbone shifts, one with HB only, one
    // with both; one spin system of no amino acid.
    const std::vector<spin_system_t> entry = {residue(ala, {{"H", 8.1}, {"CA", 52.0}}), residue(ala, {{"HB", 1.3}}),
                                              residue(ala, {{"H", 8.3}, {"HB", 1.4}}), residue(-1, {{"H", 7.0}})};
    stats_settings_t full, backbone;
    backbone.backbone = true;
    gathered_shifts_t g_full, g_backbone;
    gather_entry(g_full, entry, full);
    gather_entry(g_backbone, entry, backbone);
    EXPECT_EQ(g_full.residues[ala], 3);
    EXPECT_EQ(g_backbone.residues[ala], 2);
    EXPECT_EQ(gathered_residues(g_full), 3);
    // Atoms in the order of the amino acid's atoms; residues numbered in order.
    const atom_observations_t &h = g_backbone.atoms[ala][0];
    EXPECT_EQ(h.name, "H");
    ASSERT_EQ(h.observations.size(), 2u);
    EXPECT_EQ(h.observations[1].residue, 1);
    EXPECT_EQ(g_backbone.atoms[ala][2].name, "HB");
    EXPECT_TRUE(g_backbone.atoms[ala][2].observations.empty());
    EXPECT_EQ(g_full.atoms[ala][2].observations.size(), 2u);
}

TEST(StatsGathering, ShiftsBeyondAMillionPpmAreFaultsOfTheirLine) {
    stats_settings_t settings;
    gathered_shifts_t g;
    gather_entry(g, {residue(ala, {{"CA", -1e6}})}, settings);
    std::vector<spin_system_t> entry = {residue(ala, {{"CA", 1.0000001e6}})};
    entry[0].shifts[0].value = "1.0000001e6";
    entry[0].shifts[0].line = 12;
    try {
        gather_entry(g, entry, settings);
        ADD_FAILURE() << "no error";
    } catch (const format_error &e) {
        EXPECT_EQ(format_error_message("e.str", e), "Error: e.str, line 12: the shift '1.0000001e6' lies beyond 1000000 ppm\n");
    }
}

TEST(StatsGathering, AnAminoAcidWithoutAnAtomToDescribeIsNamed) {
    gathered_shifts_t g;
    stats_settings_t settings;
    settings.min_observations = 2;
    std::vector<spin_system_t> entry;
    for (int a = 0; a < 20; a++)
        if (a != gly) {
            entry.push_back(residue(a, {{"CA", 50.0}}));
            entry.push_back(residue(a, {{"CA", 51.0}}));
        }
    entry.push_back(residue(gly, {{"CA", 45.0}}));
    gather_entry(g, entry, settings);
    EXPECT_EQ(error_of([&] { compute_statistics(g, settings, nullptr); }),
              "too few GLY residues to estimate its statistics: 1 residue, no atom with 2 shifts (at most 1); "
              "lower --min-observations, or leave GLY out of an -af selection");
    // Selecting the other 19 amino acids writes them, each with its CA.
    std::string selection_text;
    for (int a = 0; a < 20; a++)
        if (a != gly) selection_text += std::string(AA3[a]) + " CA C\n";
    const atom_selection_t selection = read_atom_selection(selection_text);
    settings.selection = &selection;
    const statistics_t s = compute_statistics(g, settings, nullptr);
    ASSERT_EQ(s.amino_acids.size(), 19u);
    EXPECT_EQ(s.amino_acids[0].atoms[0].sd, std::sqrt(0.5));
    const std::string text = statistics_text(s, "test");
    EXPECT_EQ(text.substr(0, text.find("ARG")),
              "# test\n# res atom type n_obs min max mean sd n_res miss_pct\nALA CA C 2 50.000 51.000 50.5000 "
              "0.7071 2 25.00\n");
    EXPECT_NE(text.find("<cov res=\"ALA\" dim=\"1\">\n0.500000\n</cov>\n"), std::string::npos);
    const std::string atoms = atom_selection_text(s, "chosen");
    EXPECT_EQ(atoms.substr(0, atoms.find("ASP")),
              "# Amino   Atom    Atom\n# Acid    Name    Type\n# chosen\n\nALA      CA       C\n\nARG      CA       C\n\n");
}

TEST(StatsGathering, SpreadsTooSmallForThePrintedDigitsAreErrors) {
    const atom_selection_t selection = read_atom_selection("ALA CA C\n");
    stats_settings_t settings;
    settings.selection = &selection;
    const struct {
        double step;  // the shifts alternate between 50 and 50 + step
        const char *message;
    } cases[] = {
        {1e-5, "the standard deviation of ALA CA prints as 0.0000: its shifts hardly vary"},
        {1e-3, "the covariances of ALA as printed with six decimals are not positive definite: standard "
               "deviations too small for them"},
        {1e-2, "(no error)"},
    };
    for (const auto &c : cases) {
        gathered_shifts_t g;
        std::vector<spin_system_t> entry;
        for (int i = 0; i < 12; i++) entry.push_back(residue(ala, {{"CA", 50.0 + (i % 2) * c.step}}));
        gather_entry(g, entry, settings);
        EXPECT_EQ(error_of([&] { compute_statistics(g, settings, nullptr); }), c.message) << c.step;
    }
}

TEST(StatsGathering, ReferenceMeansReplaceMeanAndSdAndScaleTheSameCorrelations) {
    gathered_shifts_t g;
    const atom_selection_t selection = read_atom_selection("ALA CA C\nALA CB C\n");
    stats_settings_t settings;
    settings.selection = &selection;
    std::vector<spin_system_t> entry;
    for (int i = 0; i < 12; i++) entry.push_back(residue(ala, {{"CA", 50.0 + i}, {"CB", 19.0 + (i % 3)}}));
    gather_entry(g, entry, settings);
    const statistics_t own = compute_statistics(g, settings, nullptr);
    reference_means_t reference{{"ALA CA", {53.1, 2.0}}};
    EXPECT_EQ(error_of([&] { compute_statistics(g, settings, &reference); }), "the table of means has no ALA CB");
    reference["ALA CB"] = {19.0, 0.5};
    const statistics_t archive = compute_statistics(g, settings, &reference);
    const amino_acid_statistics_t &a = archive.amino_acids[0];
    EXPECT_EQ(a.atoms[1].mean, 19.0);
    EXPECT_EQ(a.atoms[1].moments.mean, own.amino_acids[0].atoms[1].mean);
    EXPECT_EQ(a.correlation.cells, own.amino_acids[0].correlation.cells);
    EXPECT_EQ(a.covariance.at(0, 1), a.correlation.at(0, 1) * (2.0 * 0.5));
}

TEST(StatsGathering, PooledMissingRatesSumTheBackboneAtomsOfEveryTypeButProlinesAmide) {
    auto index_of = [](const std::string &code) {
        for (int a = 0; a < 20; a++)
            if (code == AA3[a]) return a;
        return -1;
    };
    auto atom = [](const char *name, char nucleus, long n_obs, long n_res) {
        atom_moments_t m{n_obs, 0.0, 1.0, 0.5, 0.1, 0, 0.5, 0.1};
        return described_atom_t{name, nucleus, m, 0.5, 0.1, missing_percent(n_res, n_obs)};
    };
    // residues, then (name, shifts) per atom
    statistics_t statistics{2, 0, {}};
    statistics.amino_acids.push_back({index_of("ALA"), 100, {atom("H", 'H', 99, 100), atom("HA", 'H', 60, 100),
                                                             atom("N", 'N', 97, 100)},
                                      square_matrix_t(), false, square_matrix_t()});
    statistics.amino_acids.push_back({index_of("LYS"), 300, {atom("H", 'H', 297, 300), atom("HA", 'H', 300, 300),
                                                             atom("N", 'N', 290, 300), atom("HZ", 'H', 30, 300)},
                                      square_matrix_t(), false, square_matrix_t()});
    statistics.amino_acids.push_back({index_of("PRO"), 50, {atom("HA", 'H', 40, 50), atom("N", 'N', 5, 50)},
                                      square_matrix_t(), false, square_matrix_t()});
    pool_backbone_missing_rates(statistics);
    struct expected_t {
        std::size_t type, atom;
        long n_res, n_obs;  // the rate expected: missing_percent of these
    };
    const expected_t cases[] = {
        {0, 0, 400, 396}, {1, 0, 400, 396},  // H: ALA and LYS together
        {0, 1, 450, 400}, {1, 1, 450, 400}, {2, 0, 450, 400},  // HA: PRO's too
        {0, 2, 400, 387}, {1, 2, 400, 387},  // N: without PRO's
        {2, 1, 50, 5},    {1, 3, 300, 30},   // PRO N and a side-chain atom keep their own
    };
    for (const expected_t &c : cases) {
        const described_atom_t &a = statistics.amino_acids[c.type].atoms[c.atom];
        EXPECT_DOUBLE_EQ(a.miss_pct, missing_percent(c.n_res, c.n_obs))
            << AA3[statistics.amino_acids[c.type].amino_acid] << " " << a.name;
    }
}

TEST(StatsGathering, SideChainGroupsCountResiduesWithNoneOfTheirAtomsBeyondBeta) {
    const int phe = 13, asp = 2;
    // Five PHE: CG seen in the first two, CD1 in the second and third, HB2 in
    // all (not beyond beta); ASP's only atom beyond beta makes no group.
    std::vector<spin_system_t> entry;
    for (int r = 0; r < 5; r++) {
        std::vector<std::pair<std::string, double>> shifts = {{"HB2", 3.0}};
        if (r < 2) shifts.push_back({"CG", 138.0});
        if (r == 1 || r == 2) shifts.push_back({"CD1", 131.0});
        entry.push_back(residue(phe, shifts));
    }
    entry.push_back(residue(asp, {{"HB2", 2.7}, {"CG", 179.0}}));
    gathered_shifts_t gathered;
    gather_entry(gathered, entry, stats_settings_t());
    auto atom = [](const char *name, char nucleus) {
        return described_atom_t{name, nucleus, atom_moments_t{}, 0.0, 1.0, 0.0};
    };
    statistics_t statistics{1, 6, {}};
    statistics.amino_acids.push_back(
        {phe, 5, {atom("HB2", 'H'), atom("CG", 'C'), atom("CD1", 'C')}, square_matrix_t(), false, square_matrix_t()});
    statistics.amino_acids.push_back(
        {asp, 1, {atom("HB2", 'H'), atom("CG", 'C')}, square_matrix_t(), false, square_matrix_t()});
    const std::vector<side_chain_group_t> groups = count_side_chain_groups(gathered, statistics);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].amino_acid, phe);
    EXPECT_EQ(groups[0].atoms, (std::vector<std::string>{"CG", "CD1"}));
    EXPECT_DOUBLE_EQ(groups[0].unassigned_pct, 100.0 * 3 / 7);  // two of five, plus one over plus two
    // Written after the column line, where kestrin skips them as comments.
    const std::string text = statistics_text(statistics, "t", groups);
    EXPECT_EQ(text.substr(0, text.find("PHE HB2")),
              "# t\n# res atom type n_obs min max mean sd n_res miss_pct\n# side-chain group PHE 42.86 CG CD1\n");
}

TEST(ArchiveMeans, PseudoAtomsAreMethylsAndFaultsNameTheirLine) {
    const reference_means_t means = read_archive_means(
        "comp_id,atom_id,count,min,max,avg,std\r\nALA,MB,42749,-0.880,3.4106,1.356,0.245\r\n"
        "ALA,MB,1,0,0,9,9\nILE,MD,1,0,0,0.681,0.282\nLEU,MD2,1,0,0,0.736,0.278\nDNA,C5,1,0,0,1,x\n"
        "VAL,MG1,1,0,0,0.826,0.259\nMET,ME,1,0,0,1.888,0.387\nGLY,HA2,1,0,0,3.9,0.4\n");
    const std::pair<const char *, double> expected[] = {{"ALA HB", 1.356}, {"ILE HD1", 0.681}, {"LEU HD2", 0.736},
                                                        {"VAL HG1", 0.826}, {"MET HE", 1.888}, {"GLY HA2", 3.9}};
    EXPECT_EQ(means.size(), std::size(expected));
    for (const auto &[key, mean] : expected) EXPECT_EQ(means.at(key).mean, mean) << key;
    EXPECT_EQ(means.at("ALA HB").sd, 0.245);

    const struct {
        const char *text, *message;
    } faults[] = {
        {"comp_id,atom_id,mean,std\nALA,CA,53,2\n", "Error: t.csv, line 1: the header names no column 'avg' "
                                                    "(expected comp_id,atom_id,count,min,max,avg,std)\n"},
        {"comp_id,atom_id,avg,std\nALA,CA,53\n", "Error: t.csv, line 2: 3 fields where the header names 4\n"},
        {"comp_id,atom_id,avg,std\n\nALA,CA,53,0\n",
         "Error: t.csv, line 3: the standard deviation '0' is not a positive number within 1000000 ppm\n"},
        {"comp_id,atom_id,avg,std\nALA,CA,53,2e6\n",
         "Error: t.csv, line 2: the standard deviation '2e6' is not a positive number within 1000000 ppm\n"},
        {"comp_id,atom_id,avg,std\nALA,CA,nan,1\n",
         "Error: t.csv, line 2: the mean 'nan' is not a number within 1000000 ppm\n"},
        {"comp_id,atom_id,avg,std\nALA,,53,2\n", "Error: t.csv, line 2: the atom name is empty\n"},
        {"", "Error: t.csv: the file is empty\n"},
    };
    for (const auto &f : faults) {
        try {
            read_archive_means(f.text);
            ADD_FAILURE() << "no error for " << f.text;
        } catch (const format_error &e) {
            EXPECT_EQ(format_error_message("t.csv", e), f.message);
        }
    }
}

TEST(StatsRun, ListsNameOneEntryPerLine) {
    EXPECT_EQ(list_entry_names("# the entries\nA001.str\n  A002 b.str \r\n\n\t# more\nA003.str"),
              (std::vector<std::string>{"A001.str", "A002 b.str", "A003.str"}));
    EXPECT_TRUE(list_entry_names("# none\n\n").empty());
}

struct parsed_t {
    outcome_t outcome;
    stats_options_t options;
};

parsed_t parse(std::vector<std::string> words) {
    words.insert(words.begin(), "kestrin-stats");
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    parsed_t parsed;
    parsed.outcome = run_captured([&] { parsed.options = parse_stats_options(static_cast<int>(argv.size()), argv.data()); });
    return parsed;
}

TEST(StatsOptions, ValuesAndEntries) {
    const parsed_t p = parse({"--backbone", "--min-observations=7", "--outlier-sd", "3.5", "--means", "m.csv",
                              "--atoms-out=a.txt", "e1.str", "@list", "--", "-e2.str"});
    ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
    EXPECT_TRUE(p.options.backbone);
    EXPECT_EQ(p.options.min_observations, 7);
    EXPECT_EQ(p.options.outlier_sd, 3.5);
    EXPECT_EQ(*p.options.means_file, "m.csv");
    EXPECT_EQ(*p.options.atoms_out, "a.txt");
    EXPECT_EQ(p.options.inputs, (std::vector<std::string>{"e1.str", "@list", "-e2.str"}));
    EXPECT_FALSE(p.options.pool_missing);
    EXPECT_TRUE(parse({"--pool-missing", "e.str"}).options.pool_missing);
    const parsed_t defaults = parse({"-"});
    EXPECT_EQ(defaults.options.min_observations, 20);
    EXPECT_EQ(defaults.options.outlier_sd, 5.0);
    EXPECT_EQ(defaults.options.inputs, std::vector<std::string>{"-"});
}

TEST(StatsOptions, UsageErrorsGiveTheMessageThenTheUsageAndStatus1) {
    const struct {
        std::vector<std::string> words;
        const char *message;
    } cases[] = {
        {{"-x", "a.str"}, "Error: unknown option '-x'.\n"},
        {{"a.str", "--means"}, "Error: the option '--means' needs a value.\n"},
        {{"--backbone=yes", "a.str"}, "Error: the option '--backbone' takes no value.\n"},
        {{"--min-observations", "1", "a.str"},
         "Error: --min-observations takes a whole number from 2 to 1000000000, not '1'.\n"},
        {{"--min-observations", "1000000001", "a.str"},
         "Error: --min-observations takes a whole number from 2 to 1000000000, not '1000000001'.\n"},
        {{"--min-observations", "+5", "a.str"},
         "Error: --min-observations takes a whole number from 2 to 1000000000, not '+5'.\n"},
        {{"--outlier-sd", "0", "a.str"}, "Error: --outlier-sd takes a number above 0, not '0'.\n"},
        {{"--outlier-sd", "inf", "a.str"}, "Error: --outlier-sd takes a number above 0, not 'inf'.\n"},
        {{"-af", "s.txt", "--backbone", "a.str"},
         "Error: -af and --backbone exclude each other: the selection says which atoms count.\n"},
        {{"-af", "s.txt", "--min-observations", "5", "a.str"},
         "Error: -af and --min-observations exclude each other: the selection says which atoms count.\n"},
        {{"--atoms-out", "-", "a.str"}, "Error: --atoms-out needs a file: standard output holds the statistics.\n"},
        {{"--backbone"}, "Error: no entry (name one or more files, - for standard input, or @LIST).\n"},
    };
    for (const auto &c : cases) {
        const parsed_t p = parse(c.words);
        EXPECT_EQ(p.outcome.status, 1) << c.message;
        EXPECT_EQ(p.outcome.out, "");
        EXPECT_EQ(p.outcome.err.substr(0, p.outcome.err.find('\n') + 1), c.message);
        EXPECT_NE(p.outcome.err.find("\n\nUsage: kestrin-stats [options] FILE...\n"), std::string::npos);
    }
    EXPECT_EQ(parse({"-v"}).outcome.out, "This is kestrin-stats release number " KESTRIN_VERSION "\n");
    EXPECT_EQ(parse({"--help"}).outcome.status, 0);
}

}  // namespace
