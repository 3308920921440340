// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of kestrin-stats: options, usage text and version.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "secondary/structure_classes.h"

struct stats_options_t {
    std::vector<std::string> inputs;        // entries as named: files, "-" for standard input, "@LIST"
    std::optional<std::string> atoms_file;  // -af: describe the atoms of this selection
    bool backbone = false;                  // --backbone: only H, HA, HA2, HA3, C, CA, CB, N
    long min_observations = 20;             // --min-observations: fewest shifts of an atom described
    double outlier_sd = 5.0;                // --outlier-sd: outlier window in first-pass sds
    std::optional<std::string> means_file;  // --means: table of archive means and sds
    std::optional<std::string> atoms_out;   // --atoms-out: where to write the atom selection
    std::optional<structure_class_t> structure_class;  // --class: only the residues of this class
    bool pool_missing = false;              // --pool-missing: backbone missing rates over every type together
    bool side_chain_groups = false;         // --side-chain-groups: state how often each side chain is unassigned
};

// Reads the arguments, or ends the run: help and version with status 0, a
// usage error with its message and the usage text on standard error and
// status 1.
stats_options_t parse_stats_options(int argc, char **argv);

void print_stats_usage(FILE *stream);
