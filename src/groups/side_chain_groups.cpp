// SPDX-License-Identifier: GPL-3.0-or-later
// Side chains that entries assign as a whole or not at all.
#include "groups/side_chain_groups.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "input/records.h"

namespace {

const char group_prefix[] = "# side-chain group ";

int amino_acid_of_code(const std::string &code) {
    for (int a = 0; a < 20; a++)
        if (code == AA3[a]) return a;
    return -1;
}

// The smallest conditional missing rate: an atom that is always assigned
// when its group is would make one unseen shift impossible.
const double least_assigned_rate = 1e-3;

}  // namespace

bool beyond_beta(const std::string &atom) {
    static const char *const near[] = {"H", "HA", "HA2", "HA3", "C", "CA", "CB", "N", "HB", "HB2", "HB3"};
    return std::none_of(std::begin(near), std::end(near), [&](const char *name) { return atom == name; });
}

std::string side_chain_group_line(const side_chain_group_t &group) {
    char share[32];
    std::snprintf(share, sizeof share, "%.2f", group.unassigned_pct);
    std::string line = std::string(group_prefix) + AA3[group.amino_acid] + " " + share;
    for (const std::string &atom : group.atoms) line += " " + atom;
    return line + "\n";
}

std::vector<side_chain_group_t> side_chain_groups_of_text(const std::string &stats_text) {
    std::vector<side_chain_group_t> groups;
    std::istringstream lines(stats_text);
    std::string line;
    const std::size_t prefix = sizeof group_prefix - 1;
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix, group_prefix) != 0) continue;
        std::istringstream words(line.substr(prefix));
        std::string code, share, atom;
        if (!(words >> code >> share)) continue;
        side_chain_group_t group;
        group.amino_acid = amino_acid_of_code(code);
        char *end = nullptr;
        group.unassigned_pct = std::strtod(share.c_str(), &end);
        if (group.amino_acid < 0 || end == share.c_str() || *end != '\0' || !(group.unassigned_pct >= 0.0) ||
            !(group.unassigned_pct <= 100.0))
            continue;
        while (words >> atom) group.atoms.push_back(atom);
        if (!group.atoms.empty()) groups.push_back(std::move(group));
    }
    return groups;
}

void attach_side_chain_groups(std::vector<type_statistics_t> &types, const std::vector<side_chain_group_t> &groups) {
    for (type_statistics_t &type : types)
        for (const side_chain_group_t &group : groups)
            if (group.amino_acid == type.amino_acid) {
                type.side_chain = group.atoms;
                type.side_chain_unassigned = group.unassigned_pct / 100.0;
            }
}

std::optional<side_chain_states_t> side_chain_states(const type_statistics_t &type) {
    const double g = type.side_chain_unassigned;
    if (!(g > 0.0) || !(g < 1.0)) return std::nullopt;
    std::vector<int> kept, grouped;
    for (std::size_t p = 0; p < type.atoms.size(); p++) {
        const bool in_group = std::find(type.side_chain.begin(), type.side_chain.end(), type.atoms[p].name) !=
                              type.side_chain.end();
        (in_group ? grouped : kept).push_back(static_cast<int>(p));
    }
    if (grouped.size() < 2) return std::nullopt;
    side_chain_states_t states;
    states.unassigned = g;
    states.assigned.amino_acid = type.amino_acid;
    states.assigned.atoms = type.atoms;
    states.assigned.stats = copy_statistics(type.stats);
    for (const int p : grouped) {
        double &miss = states.assigned.stats.miss[p];
        miss = std::max((miss - g) / (1.0 - g), least_assigned_rate);
    }
    states.bare.amino_acid = type.amino_acid;
    for (const int p : kept) states.bare.atoms.push_back(type.atoms[p]);
    states.bare.stats = sub_statistics(type.stats, kept);
    return states;
}
