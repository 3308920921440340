// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run of kestrin-spins: read, check, group, then write.
#pragma once

#include <string>

#include "formats/shift_table.h"
#include "formats/spin_systems.h"
#include "spins/spins_options.h"

// Runs the program; returns the exit status (0, or 1 after an error).
int kestrin_spins_main(int argc, char **argv);

// The list that the run reads: the one named (by save-frame name, by the
// NEF name without its "nef_chemical_shift_list_" prefix, or by its number
// from 1), else the first that holds protein residues; an unknown name
// throws format_error.
std::size_t choose_shift_list(const shift_file_t &file, const std::optional<std::string> &wanted);

// The summary on standard error: what was read, what was written, and every
// count of what was left out and why.
std::string conversion_summary(const std::string &source, const shift_file_t &file, std::size_t list,
                               const spin_grouping_t &grouping);
