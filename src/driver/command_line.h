// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: options into the settings record, usage and version.
#pragma once

#include <cstdio>

#include "input/records.h"

// Fills params from the arguments, or ends the run: help and version with
// status 0, an unknown argument or a missing value with status 1.
void process_command_line(int argc, char **argv, parameters_t &params);

void print_usage(FILE *stream, char **argv);
