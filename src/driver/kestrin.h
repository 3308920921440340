// SPDX-License-Identifier: GPL-3.0-or-later
// One whole run of the program, from the argument vector to the exit status.
#pragma once

#include "input/records.h"

// Sets up the settings from the arguments and reads the three inputs, in
// their fixed order; a fatal error ends the run (run_ended).
void read_run_inputs(int argc, char **argv, parameters_t &params, data_t &data);

// Reads the three inputs, runs the requested model passes in their fixed
// order and prints a report after each; returns the exit status.
int kestrin_main(int argc, char **argv);
