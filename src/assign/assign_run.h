// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run of kestrin-assign: read the file and its sequence, decide the
// atoms that take part, score, turn scores into probabilities, flag, and
// write the outputs.
#pragma once

#include <string>

#include "assign/assign_options.h"
#include "assign/assign_results.h"

// Runs the program; returns the exit status (0, or 1 after an error).
int kestrin_assign_main(int argc, char **argv);

// The stages up to the outputs, on the text of the input file; notes and
// warnings are added to `messages` (one line each). A fault throws
// assign_error.
run_result_t assign_types(const assign_options_t &options, const std::string &input_text, std::string &messages);
