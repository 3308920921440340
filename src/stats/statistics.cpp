// SPDX-License-Identifier: GPL-3.0-or-later
// Gathering the entries' shifts per amino acid and atom, and turning them
// into each amino acid's statistics lines and covariance block.
#include "stats/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "formats/atom_names.h"
#include "formats/format_error.h"
#include "input/records.h"

namespace {

bool is_backbone_atom(const std::string &name) {
    static const char *const backbone[] = {"H", "HA", "HA2", "HA3", "C", "CA", "CB", "N"};
    return std::any_of(std::begin(backbone), std::end(backbone), [&](const char *b) { return name == b; });
}

bool shift_counts(const spin_shift_t &shift, int amino_acid, const stats_settings_t &settings) {
    if (settings.selection != nullptr)
        return selected_position(*settings.selection, amino_acid, shift.atom, shift.nucleus) >= 0;
    return !settings.backbone || is_backbone_atom(shift.atom);
}

atom_observations_t &atom_of(std::vector<atom_observations_t> &atoms, const std::string &name, char nucleus) {
    for (atom_observations_t &atom : atoms)
        if (atom.name == name && atom.nucleus == nucleus) return atom;
    atoms.push_back({name, nucleus, {}});
    return atoms.back();
}

const atom_observations_t *find_atom(const std::vector<atom_observations_t> &atoms, const std::string &name,
                                     char nucleus) {
    for (const atom_observations_t &atom : atoms)
        if (atom.name == name && atom.nucleus == nucleus) return &atom;
    return nullptr;
}

// The atoms an amino acid's lines describe, in the order written.
std::vector<atom_observations_t> described_atoms(const gathered_shifts_t &gathered, int amino_acid,
                                                 const stats_settings_t &settings) {
    const std::vector<atom_observations_t> &seen = gathered.atoms[amino_acid];
    std::vector<atom_observations_t> atoms;
    if (settings.selection != nullptr) {
        for (const selected_atom_t &selected : settings.selection->atoms[amino_acid]) {
            const atom_observations_t *atom = find_atom(seen, selected.name, selected.nucleus);
            atoms.push_back(atom != nullptr ? *atom : atom_observations_t{selected.name, selected.nucleus, {}});
        }
        return atoms;
    }
    for (const atom_observations_t &atom : seen)
        if (static_cast<long>(atom.observations.size()) >= settings.min_observations) atoms.push_back(atom);
    if (atoms.empty()) {
        long most = 0;
        for (const atom_observations_t &atom : seen) most = std::max(most, static_cast<long>(atom.observations.size()));
        throw stats_error("too few " + std::string(AA3[amino_acid]) + " residues to estimate its statistics: " +
                          std::to_string(gathered.residues[amino_acid]) +
                          (gathered.residues[amino_acid] == 1 ? " residue" : " residues") + ", no atom with " +
                          std::to_string(settings.min_observations) + " shifts (at most " + std::to_string(most) +
                          "); lower --min-observations, or leave " + AA3[amino_acid] + " out of an -af selection");
    }
    return atoms;
}

}  // namespace

gathered_shifts_t::gathered_shifts_t() : residues(20, 0), atoms(20) {
    for (int a = 0; a < 20; a++)
        for (const residue_atom_t &atom : amino_acid_atoms(a)) atoms[a].push_back({atom.name, atom.nucleus, {}});
}

void gather_entry(gathered_shifts_t &gathered, const std::vector<spin_system_t> &systems,
                  const stats_settings_t &settings) {
    gathered.entries++;
    for (const spin_system_t &system : systems) {
        const int a = system.amino_acid;
        if (a < 0 || (settings.selection != nullptr && !settings.selection->listed[a])) continue;
        bool counted = false;
        for (const spin_shift_t &shift : system.shifts) {
            if (!shift_counts(shift, a, settings)) continue;
            if (!(std::fabs(shift.ppm) <= largest_shift))
                throw format_error(shift.line, "the shift '" + quoted_for_message(shift.value) +
                                                   "' lies beyond 1000000 ppm");
            atom_observations_t &atom = atom_of(gathered.atoms[a], shift.atom, shift.nucleus);
            atom.observations.push_back({gathered.residues[a], shift.ppm});
            counted = true;
        }
        if (counted) gathered.residues[a]++;
    }
}

long gathered_residues(const gathered_shifts_t &gathered) {
    long total = 0;
    for (long n : gathered.residues) total += n;
    return total;
}

namespace {

// The moments of an atom: from its own shifts, or, with too few of them and
// a pooled superset of the residues at hand, the pooled shifts' mean, sd,
// smallest and largest with the atom's own count of shifts (its missing
// rate stays its own).
atom_moments_t moments_of_atom(int amino_acid, const atom_observations_t &atom, const stats_settings_t &settings,
                               const std::string &label) {
    const long own = static_cast<long>(atom.observations.size());
    if (settings.pooled == nullptr || own >= settings.pooled_below)
        return atom_moments(atom.observations, settings.outlier_sd, label);
    for (const atom_observations_t &pooled : settings.pooled->atoms[amino_acid])
        if (pooled.name == atom.name && pooled.nucleus == atom.nucleus) {
            atom_moments_t m = atom_moments(pooled.observations, settings.outlier_sd, label);
            m.n_obs = own;
            m.outliers = 0;  // counted where the pooled residues are described
            return m;
        }
    return atom_moments(atom.observations, settings.outlier_sd, label);
}

}  // namespace

namespace {

bool has_pooled_missing_rate(int amino_acid, const std::string &name) {
    static const char *const backbone[] = {"H", "HA", "C", "CA", "CB", "N"};
    bool listed = false;
    for (const char *atom : backbone) listed = listed || name == atom;
    const bool proline_amide = std::string(AA3[amino_acid]) == "PRO" && (name == "H" || name == "N");
    return listed && !proline_amide;
}

}  // namespace

void pool_backbone_missing_rates(statistics_t &statistics) {
    std::map<std::string, std::pair<long, long>> counts;  // name: residues, shifts
    for (const amino_acid_statistics_t &block : statistics.amino_acids)
        for (const described_atom_t &atom : block.atoms)
            if (has_pooled_missing_rate(block.amino_acid, atom.name)) {
                counts[atom.name].first += block.residues;
                counts[atom.name].second += atom.moments.n_obs;
            }
    for (amino_acid_statistics_t &block : statistics.amino_acids)
        for (described_atom_t &atom : block.atoms)
            if (has_pooled_missing_rate(block.amino_acid, atom.name))
                atom.miss_pct = missing_percent(counts[atom.name].first, counts[atom.name].second);
}

std::vector<side_chain_group_t> count_side_chain_groups(const gathered_shifts_t &gathered,
                                                        const statistics_t &statistics) {
    std::vector<side_chain_group_t> groups;
    for (const amino_acid_statistics_t &block : statistics.amino_acids) {
        side_chain_group_t group;
        group.amino_acid = block.amino_acid;
        for (const described_atom_t &atom : block.atoms)
            if (beyond_beta(atom.name)) group.atoms.push_back(atom.name);
        if (group.atoms.size() < 2) continue;
        std::set<long> assigned;  // residues with a shift of some atom of the group
        for (const atom_observations_t &atom : gathered.atoms[block.amino_acid])
            if (std::find(group.atoms.begin(), group.atoms.end(), atom.name) != group.atoms.end())
                for (const observation_t &shift : atom.observations) assigned.insert(shift.residue);
        group.unassigned_pct = missing_percent(block.residues, static_cast<long>(assigned.size()));
        groups.push_back(std::move(group));
    }
    return groups;
}

statistics_t compute_statistics(const gathered_shifts_t &gathered, const stats_settings_t &settings,
                                const reference_means_t *reference) {
    statistics_t statistics{gathered.entries, gathered_residues(gathered), {}};
    for (int a = 0; a < 20; a++) {
        if (settings.selection != nullptr && !settings.selection->listed[a]) continue;
        const std::vector<atom_observations_t> atoms = described_atoms(gathered, a, settings);
        amino_acid_statistics_t block{a, gathered.residues[a], {}, square_matrix_t(), false, square_matrix_t()};
        std::vector<atom_moments_t> moments;
        std::vector<double> sds;
        for (const atom_observations_t &atom : atoms) {
            const std::string label = std::string(AA3[a]) + " " + atom.name;
            const atom_moments_t m = moments_of_atom(a, atom, settings, label);
            described_atom_t described{atom.name, atom.nucleus, m, m.mean, m.sd,
                                       missing_percent(block.residues, m.n_obs)};
            if (reference != nullptr) {
                const auto found = reference->find(label);
                if (found == reference->end())
                    throw stats_error("the table of means has no " + label);
                described.mean = found->second.mean;
                described.sd = found->second.sd;
            }
            moments.push_back(m);
            sds.push_back(described.sd);
            block.atoms.push_back(described);
        }
        block.correlation = shrunk_correlations(atoms, moments, settings.outlier_sd);
        block.floor_raised = raise_eigenvalue_floor(block.correlation, eigenvalue_floor);
        block.covariance = covariances(block.correlation, sds);
        // kestrin reads the printed digits: a standard deviation too small
        // for them would make its densities meaningless.
        for (const described_atom_t &atom : block.atoms) {
            char printed[64];
            snprintf(printed, sizeof printed, "%.4f", atom.sd);
            if (strtod(printed, nullptr) == 0.0)
                throw stats_error("the standard deviation of " + std::string(AA3[a]) + " " + atom.name +
                                  " prints as 0.0000: its shifts hardly vary");
        }
        if (!cholesky_succeeds(as_printed(block.covariance)))
            throw stats_error("the covariances of " + std::string(AA3[a]) +
                              " as printed with six decimals are not positive definite: standard deviations too "
                              "small for them");
        statistics.amino_acids.push_back(std::move(block));
    }
    return statistics;
}
