// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run of kestrin-stats: read every entry, compute, check, then write.
#pragma once

#include <string>
#include <vector>

#include "stats/stats_options.h"

// Runs the program; returns the exit status (0, or 1 after an error).
int kestrin_stats_main(int argc, char **argv);

// The entry names that a list file (@LIST) holds, one per line as written
// (relative names from the current directory), blanks around them cut;
// empty lines and lines starting with # are skipped.
std::vector<std::string> list_entry_names(const std::string &text);
