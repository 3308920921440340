// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run of kestrin-spins: read, check, group, then write. The choice
// of shift list and the summary are those of formats/reading_summary.h.
#pragma once

#include <string>

#include "formats/reading_summary.h"
#include "spins/spins_options.h"

// Runs the program; returns the exit status (0, or 1 after an error).
int kestrin_spins_main(int argc, char **argv);
