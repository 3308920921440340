// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics of the 20 amino acids gathered from assigned entries: which
// shifts count, which atoms are described, and each amino acid's lines and
// covariance block.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "formats/atom_selection.h"
#include "formats/spin_systems.h"
#include "groups/side_chain_groups.h"
#include "stats/recipe.h"

struct stats_settings_t {
    bool backbone = false;                        // only H, HA, HA2, HA3, C, CA, CB, N count and are described
    const atom_selection_t *selection = nullptr;  // the atoms to describe; null: those observed often enough
    long min_observations = 20;                   // without a selection: fewest shifts an atom needs to be described
    double outlier_sd = 5.0;                      // outlier window, in first-pass standard deviations
    const struct gathered_shifts_t *pooled = nullptr;  // a superset of the residues (every class of them):
                                                       // an atom with fewer than pooled_below shifts here
                                                       // takes its mean and sd from these
    long pooled_below = 20;
};

// The shifts of the entries read so far, per amino acid in AA3 order.
struct gathered_shifts_t {
    long entries = 0;                                     // entries read
    std::vector<long> residues;                           // per amino acid: residues with a shift that counts
    std::vector<std::vector<atom_observations_t>> atoms;  // per amino acid: its atoms, in the order of
                                                          // amino_acid_atoms, with every shift that counts
    gathered_shifts_t();
};

// Adds the residues of one entry, in their order. A shift counts when its
// atom is a backbone atom (--backbone), a selected atom (-af), or any H, C or
// N atom otherwise; a residue counts when at least one of its shifts does.
// Spin systems of no amino acid, and amino acids the selection does not
// list, are passed over. A shift beyond ± largest_shift throws format_error
// at its line.
void gather_entry(gathered_shifts_t &gathered, const std::vector<spin_system_t> &systems,
                  const stats_settings_t &settings);

// Residues gathered, all amino acids together.
long gathered_residues(const gathered_shifts_t &gathered);

// Mean and standard deviation of an atom from elsewhere (an archive's
// statistics), keyed "ALA HB".
struct reference_moments_t {
    double mean;  // ppm
    double sd;    // ppm
};
using reference_means_t = std::map<std::string, reference_moments_t>;

struct described_atom_t {
    std::string name;       // atom name ("HB")
    char nucleus;           // 'H', 'C' or 'N'
    atom_moments_t moments; // from the entries
    double mean;            // the mean written: the entries' or the reference's, ppm
    double sd;              // the standard deviation written and scaling the covariances, ppm
    double miss_pct;        // missing rate in percent (add-one)
};

struct amino_acid_statistics_t {
    int amino_acid;                       // index in AA3
    long residues;                        // residues gathered (n_res)
    std::vector<described_atom_t> atoms;  // in the order written
    square_matrix_t correlation;          // after the eigenvalue floor
    bool floor_raised;                    // the floor changed the correlations
    square_matrix_t covariance;           // correlation scaled by the written sds
};

struct statistics_t {
    long entries;                                   // entries read
    long residues;                                  // residues gathered over all amino acids
    std::vector<amino_acid_statistics_t> amino_acids;  // in AA3 order
};

// The statistics of every amino acid that is described: all 20, or those the
// selection lists. Without a selection an atom is described when it has at
// least min_observations shifts, in the order of amino_acid_atoms (H, C, N;
// backbone first, then by Greek letter and number). With reference means,
// each atom's mean and sd come from them and scale the same correlations.
// Throws stats_error when an amino acid has no atom to describe, when an
// atom has too few shifts, or when the reference lacks an atom.
statistics_t compute_statistics(const gathered_shifts_t &gathered, const stats_settings_t &settings,
                                const reference_means_t *reference);

// The missing rate of each backbone atom (H, HA, C, CA, CB, N) made that of
// every type together: n_res and n_obs summed over the types that describe
// the atom, then the same add-one rate,
//     miss = (sum n_res - sum n_obs + 1) / (sum n_res + 2).
// Whether a backbone shift was measured is a matter of the experiment and
// the depositor, not of the amino acid, and where an atom is hardly ever
// missing (HA in entries assigned in full: 0.4 to 1.5 %) the types' own
// rates differ by chance, yet their ratio decides between types whenever
// that atom is missing. PRO's H (it has none) and N (rarely measured: no
// amide proton to transfer from) keep their own rates and stay out of the sums.
void pool_backbone_missing_rates(statistics_t &statistics);

// Each described type's side-chain group (groups/side_chain_groups.h): its
// described atoms beyond the beta position, when there are at least two, and
// the percentage of its residues with none of them, by the add-one rule of
// the missing rates, 100 (n_none + 1) / (n_res + 2).
std::vector<side_chain_group_t> count_side_chain_groups(const gathered_shifts_t &gathered,
                                                        const statistics_t &statistics);
