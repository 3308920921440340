// SPDX-License-Identifier: GPL-3.0-or-later
// The three input readers, run in this order by the driver.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "input/records.h"

// Reads the atom selection file (-af): decides the selected types, numbers
// their atoms, fills the residue table and creates sdata with each atom_num.
void read_cs_to_analyse(const parameters_t &params, data_t &data);

// Reads the statistics file (-sf) for the selected atoms: means, standard
// deviations, missing rates, atom types and covariances of each type.
void read_stats(const parameters_t &params, data_t &data);

// The same two readers on lines already read (read_lines' form), for a
// program that reads the files itself; the names appear in the messages.
// Without warn_repeats a repeated selection line is skipped silently.
void read_cs_lines(const std::vector<std::string> &lines, const char *fname, data_t &data, bool warn_repeats = true);
void read_stats_lines(const std::vector<std::string> &lines, const char *fname, const char *atoms_fname,
                      data_t &data);

// Reads the spin systems from the stream (standard input in a run) into vdata.
void read_input_values(data_t &data, FILE *in = stdin);
