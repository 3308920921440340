// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of kestrin-assign: options, usage text and version.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "assign/assign_referencing.h"
#include "assign/scoring.h"
#include "formats/shift_table.h"
#include "prior/prior.h"

// What --atoms asks for.
enum class atoms_rule_t {
    observed,  // the atoms of the kinds the spin systems to predict show
    all,       // every atom of the selection
    file,      // the atoms of an atom selection file, out of the statistics' selection
};

// Whether each type is scored as a mixture over statistics per
// secondary-structure class.
enum class classes_rule_t {
    installed,  // the installed ones, when the installed statistics are used (no -sf)
    none,       // one statistics file
    stem,       // the files of a stem
};

struct assign_options_t {
    std::string input;                          // the shift file; "-" for standard input
    std::optional<std::string> stats_file;      // -sf; absent for the default statistics
    std::optional<std::string> atoms_file;      // -af; absent for the default selection
    model_t model = model_t::cfpd;              // --model
    atoms_rule_t atoms = atoms_rule_t::observed;  // --atoms observed|all|FILE
    std::string atoms_rule_file;                // --atoms FILE: that file
    prior_method_t prior = prior_method_t::matching;  // --prior (matching: best on held-out proteins)
    std::optional<std::string> sequence_file;   // --sequence: FASTA or one-letter text
    classes_rule_t classes = classes_rule_t::installed;  // --classes default|none|STEM
    std::string classes_stem;                   // --classes STEM: the statistics STEM_helix.txt, STEM_sheet.txt,
                                                // STEM_coil.txt to mix each type's score over
    bool hide_types = false;                    // --hide-types: predict every spin system
    bool place = true;                          // --place auto (placed when there is a sequence) or none
    std::optional<std::string> list;            // --list: shift list by save-frame name or number
    std::optional<shift_format_t> format;       // --format: the input's format; absent to recognise it
    std::optional<std::string> table_file;      // --table; "-" is standard output
    std::optional<std::string> nef_file;        // --nef; "-" is standard output
    std::optional<std::string> plot_file;       // --plot; "-" is standard output
    int threads = 0;                            // --threads; 0: the processors the process may run on
    reference_mode_t reference = reference_mode_t::check;  // --reference check|apply|none
    imposed_offsets_t imposed_offsets;          // --offset: ppm to add per kind; absent for a kind not given
    std::optional<std::string> referencing_file;  // --referencing; "-" is standard output
};

// Reads the arguments, or ends the run: help and version with status 0, a
// usage error with its message and the usage text on standard error and
// status 1.
assign_options_t parse_assign_options(int argc, char **argv);

void print_assign_usage(FILE *stream);
