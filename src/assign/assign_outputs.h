// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-assign's outputs: the summary on standard output, the table, the
// NEF file and the picture, each made whole from the run's records.
#pragma once

#include <cstdio>
#include <string>

#include "assign/assign_results.h"

// Lines of the header, each starting with "# ", then one line per spin
// system: name, declared type, its rank, the top types with their
// probabilities (0.01 and above, at most five) and the flags, separated by
// blanks, with "-" for an empty field.
std::string summary_text(const run_result_t &run);

// A header line, then one tab-separated row per spin system and selected
// type, the types of a spin system in rank order.
std::string table_text(const run_result_t &run);

// The heat map of the probabilities, as kestrin draws its shares, labelled
// by name, flagged spin systems marked.
void write_assign_plot(FILE *out, const run_result_t &run);

// The field as the table writes it: tabs, carriage returns and line feeds as blanks.
std::string table_field(std::string text);
