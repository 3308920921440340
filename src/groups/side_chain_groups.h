// SPDX-License-Identifier: GPL-3.0-or-later
// Side chains that entries assign as a whole or not at all.
//
// kestrin's models take every atom as missing independently of the others,
// with its own rate m_i. Real entries do not: a residue's side chain beyond
// its beta position is most often assigned in full or left out in full (in
// RefDB's entries 11.5 % of PHE have none of their nine ring atoms, where the
// product of the rates gives well under 1 %). A residue whose side chain was
// left out then pays every one of those rates and loses to a type with fewer
// atoms (CYS, whose broad CB explains most carbons).
//
// The group model gives each type two states: with probability g its group
// G (the atoms beyond beta that the statistics describe) is unassigned as a
// whole; otherwise each atom of G is missing independently with the rate
//     m'_i = (m_i - g) / (1 - g),
// which keeps each atom's own missing rate m_i = g + (1 - g) m'_i. A spin
// system's score under the type is the mixture
//     s = g s_bare + (1 - g) s_assigned,
// s_bare the score under the type without the atoms of G (the marginal of its
// normal distribution: the other atoms as they were), s_assigned the score
// under the type with the rates m'_i. g is counted in the entries (with the
// same add-one rule as the missing rates) and written into the statistics
// file as a comment line, which kestrin itself skips:
//     # side-chain group PHE 11.52 HD1 HD2 HE1 HE2 HZ CG CD1 CE1 CZ
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "observe/type_statistics.h"

// True for an atom beyond the beta position: not H, HA, HA2, HA3, C, CA,
// CB, N, HB, HB2 or HB3.
bool beyond_beta(const std::string &atom);

// One type's group as a statistics file states it.
struct side_chain_group_t {
    int amino_acid = -1;             // index in AA3
    double unassigned_pct = 0.0;     // g, percent of the type's residues
    std::vector<std::string> atoms;  // the atoms of G, in the file's order
};

// "# side-chain group PHE 11.52 HD1 HD2 ...\n".
std::string side_chain_group_line(const side_chain_group_t &group);

// The groups stated in the text of a statistics file, in its order; lines
// that are not well-formed group lines are no groups.
std::vector<side_chain_group_t> side_chain_groups_of_text(const std::string &stats_text);

// Gives each type the group its file states (type_statistics_t's
// side_chain and side_chain_unassigned).
void attach_side_chain_groups(std::vector<type_statistics_t> &types, const std::vector<side_chain_group_t> &groups);

// The two states of a type whose group holds at least two of its atoms with
// 0 < g < 1; none for any other type, which is scored as it is.
struct side_chain_states_t {
    type_statistics_t assigned;  // every atom, those of G with the rates m'_i
    type_statistics_t bare;      // without the atoms of G
    double unassigned = 0.0;     // g, 0 to 1
};
std::optional<side_chain_states_t> side_chain_states(const type_statistics_t &type);
