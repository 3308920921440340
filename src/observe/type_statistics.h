// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics of the selected types as the scoring reads them, with the
// name and nucleus of every atom position, and the same statistics
// restricted to some of the atoms.
#pragma once

#include <string>
#include <vector>

#include "formats/atom_selection.h"
#include "input/records.h"

struct type_statistics_t {
    int amino_acid = -1;                  // index in AA3
    std::vector<selected_atom_t> atoms;   // per atom position: name and nucleus, as the selection writes them
    stat_data_t stats;                    // means, standard deviations, missing rates and covariances by position
    std::vector<std::string> side_chain;  // atoms that entries assign as a whole or not at all (groups/)
    double side_chain_unassigned = 0.0;   // share of residues with none of them, 0 to 1; 0: no such group
};

// A copy of the statistics (stat_data_t holds a matrix, which does not copy itself).
stat_data_t copy_statistics(const stat_data_t &s);

// The statistics of the atoms at the given positions, in that order: their
// means, standard deviations and missing rates, and the covariance block of
// those rows and columns. Leaving atoms out of a multivariate normal
// distribution leaves the others' distribution as it was, so the result is
// what reading the statistics file for those atoms alone would give.
stat_data_t sub_statistics(const stat_data_t &s, const std::vector<int> &positions);

// Each type with only the atoms for which keep(amino_acid, atom) holds,
// types kept even when no atom is left.
template <typename Keep>
std::vector<type_statistics_t> restricted_statistics(const std::vector<type_statistics_t> &types, Keep keep) {
    std::vector<type_statistics_t> restricted;
    for (const type_statistics_t &type : types) {
        type_statistics_t kept;
        kept.amino_acid = type.amino_acid;
        kept.side_chain = type.side_chain;
        kept.side_chain_unassigned = type.side_chain_unassigned;
        std::vector<int> positions;
        for (std::size_t p = 0; p < type.atoms.size(); p++)
            if (keep(type.amino_acid, type.atoms[p])) {
                positions.push_back(static_cast<int>(p));
                kept.atoms.push_back(type.atoms[p]);
            }
        kept.stats = sub_statistics(type.stats, positions);
        restricted.push_back(std::move(kept));
    }
    return restricted;
}
