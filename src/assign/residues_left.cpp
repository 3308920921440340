// SPDX-License-Identifier: GPL-3.0-or-later
// The residues left for the spin systems to predict.
#include "assign/residues_left.h"

#include <map>

#include "input/records.h"

residues_left_t residues_left(const sequence_t &sequence, const std::vector<spin_system_t> &systems,
                              const std::vector<bool> &assigned_mask) {
    residues_left_t left;
    left.residues = static_cast<int>(sequence.residues.size());
    bool chains = false, codes = false;
    std::map<std::pair<std::string, std::string>, int> place;  // chain and code → amino acid
    for (const sequence_residue_t &residue : sequence.residues) {
        if (residue.amino_acid >= 0) left.in_sequence[residue.amino_acid]++;
        chains = chains || !residue.chain.empty();
        codes = codes || !residue.sequence_code.empty();
        place.emplace(std::make_pair(residue.chain, residue.sequence_code), residue.amino_acid);
    }
    std::vector<std::string> misplaced;
    for (std::size_t s = 0; s < systems.size(); s++) {
        const spin_system_t &system = systems[s];
        if (!assigned_mask[s] || system.amino_acid < 0) continue;
        left.assigned[system.amino_acid]++;
        if (!codes) continue;
        const auto found = place.find({chains ? system.chain : std::string(), system.sequence_code});
        if (found == place.end() || found->second == system.amino_acid) continue;
        misplaced.push_back(system.label + " assigned " + AA3[system.amino_acid] + ", " +
                            (found->second >= 0 ? std::string(AA3[found->second]) : "no amino acid") +
                            " in the sequence");
    }
    for (int t = 0; t < 20; t++) {
        left.left[t] = left.in_sequence[t] > left.assigned[t] ? left.in_sequence[t] - left.assigned[t] : 0;
        if (left.assigned[t] > left.in_sequence[t])
            left.misfits.push_back(std::string(AA3[t]) + " " + std::to_string(left.assigned[t]) + " assigned, " +
                                   std::to_string(left.in_sequence[t]) + " in the sequence");
    }
    left.misfits.insert(left.misfits.end(), misplaced.begin(), misplaced.end());
    return left;
}
