// SPDX-License-Identifier: GPL-3.0-or-later
// Side chains assigned as a whole or not at all: the group lines of a
// statistics file, the two states of a type, and the score they give.
#include <gtest/gtest.h>

#include <cmath>

#include "assign/assign_statistics.h"
#include "assign/scoring.h"
#include "groups/side_chain_groups.h"
#include "test_support.h"

namespace {

// A PHE of three protons, H and the ring's HD1 and HD2, each missing in half
// of the residues, and its ring unassigned as a whole in 40 % of them.
const char atoms_text[] = "PHE H H\nPHE HD1 H\nPHE HD2 H\n";
const char stats_text[] =
    "# test\n# res atom type n_obs min max mean sd n_res miss_pct\n"
    "# side-chain group PHE 40.00 HD1 HD2\n"
    "PHE H H 50 7 9 8.0 0.5 100 50.0\n"
    "PHE HD1 H 50 5 7 6.0 0.2 100 50.0\n"
    "PHE HD2 H 50 5 7 6.1 0.2 100 50.0\n"
    "<cov res=\"PHE\" dim=\"3\">\n0.25 0 0\n0 0.04 0\n0 0 0.04\n</cov>\n";

std::vector<type_statistics_t> phe() {
    write_file("atoms_group.txt", atoms_text);
    write_file("stats_group.txt", stats_text);
    return read_type_statistics("stats_group.txt", "atoms_group.txt");
}

TEST(SideChainGroups, LinesReadBackAndMalformedOnesAreNoGroups) {
    side_chain_group_t group;
    group.amino_acid = 13;  // PHE
    group.unassigned_pct = 11.5;
    group.atoms = {"HD1", "CZ"};
    const std::string line = side_chain_group_line(group);
    EXPECT_EQ(line, "# side-chain group PHE 11.50 HD1 CZ\n");
    const std::string text = "# side-chain group XYZ 10 HD1 HD2\n"   // no amino acid
                             "# side-chain group PHE ten HD1 HD2\n"   // no number
                             "# side-chain group PHE 120 HD1 HD2\n"   // not a share
                             "# side-chain group PHE 10\n"            // no atom
                             "#  side-chain group PHE 10 HD1 HD2\n" + // another comment
                             line;
    const std::vector<side_chain_group_t> read = side_chain_groups_of_text(text);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].amino_acid, 13);
    EXPECT_DOUBLE_EQ(read[0].unassigned_pct, 11.5);
    EXPECT_EQ(read[0].atoms, group.atoms);
}

TEST(SideChainGroups, StatesKeepEachAtomsOwnMissingRate) {
    const std::vector<type_statistics_t> types = phe();
    ASSERT_EQ(types.size(), 1u);
    EXPECT_DOUBLE_EQ(types[0].side_chain_unassigned, 0.4);
    const std::optional<side_chain_states_t> states = side_chain_states(types[0]);
    ASSERT_TRUE(states);
    // m' = (m - g) / (1 - g) = 1/6 for the ring, and g + (1 - g) m' = m.
    const std::vector<double> &miss = states->assigned.stats.miss;
    EXPECT_DOUBLE_EQ(miss[0], 0.5);
    EXPECT_NEAR(miss[1], 1.0 / 6.0, 1e-15);
    EXPECT_NEAR(0.4 + 0.6 * miss[2], 0.5, 1e-15);
    ASSERT_EQ(states->bare.atoms.size(), 1u);
    EXPECT_EQ(states->bare.atoms[0].name, "H");
    // A group of one atom, or a type without a group, is scored as it is.
    std::vector<type_statistics_t> read = phe();
    type_statistics_t &one = read[0];
    one.side_chain = {"HD1"};
    EXPECT_FALSE(side_chain_states(one));
    one.side_chain = {"HD1", "HD2"};
    one.side_chain_unassigned = 0.0;
    EXPECT_FALSE(side_chain_states(one));
}

TEST(SideChainGroups, AnUnassignedRingCostsItsGroupRateOnce) {
    // One proton at PHE's H mean, none near the ring: every attachment but H
    // to H is negligible, so the score is (1 - m_H) phi(0) P(ring unseen),
    // P(ring unseen) = g + (1 - g) m'^2 with the group, m_HD1 m_HD2 without.
    std::vector<type_statistics_t> types = phe();
    shift_values_t shifts;
    shifts.h = {8.0};
    const double density = 1.0 / (0.5 * std::sqrt(2.0 * M_PI));
    for (const model_t model : {model_t::cfpi, model_t::cfpd, model_t::cspi, model_t::cspd}) {
        const double grouped = score_spin_systems({shifts}, types, model, 1)[0][13];
        EXPECT_NEAR(grouped / (0.5 * density), 0.4 + 0.6 / 36.0, 1e-6) << model_key(model);
        std::vector<type_statistics_t> plain = phe();
        plain[0].side_chain_unassigned = 0.0;
        const double independent = score_spin_systems({shifts}, plain, model, 1)[0][13];
        EXPECT_NEAR(independent / (0.5 * density), 0.25, 1e-6) << model_key(model);
    }
    // Both ring protons seen: the ring was assigned, (1 - g)(1 - m')^2.
    shifts.h = {8.0, 6.0, 6.1};
    const double seen = score_spin_systems({shifts}, types, model_t::cfpi, 1)[0][13];
    const double ring = 1.0 / (0.2 * std::sqrt(2.0 * M_PI));
    // Both orders of the two ring shifts count, the other 0.5 sd off at each atom.
    EXPECT_NEAR(seen / (0.5 * density * ring * ring), 0.6 * 25.0 / 36.0 * (1.0 + std::exp(-0.25)), 1e-6);
}

}  // namespace
