// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of kestrin-spins: options, usage text and version.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "formats/shift_table.h"

struct spins_options_t {
    std::string input;                      // the shift file; "-" for standard input
    std::optional<std::string> atoms_file;  // -af: atom selection file; absent when not given
    bool hide_types = false;                // --hide-types: write every type as UNK
    bool previous = false;                  // --previous: the shifts of the residue before as spin systems
    std::optional<std::string> list;        // --list: shift list by save-frame name or number
    std::optional<shift_format_t> format;   // --format: the input's format; absent to recognise it
};

// Reads the arguments, or ends the run: help and version with status 0, a
// usage error with its message and the usage text on standard error and
// status 1.
spins_options_t parse_spins_options(int argc, char **argv);

void print_spins_usage(FILE *stream);
