// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for unit tests: run a call with its output captured, observe a
// fatal error as an exit status, and make input files.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "input/records.h"

struct outcome_t {
    int status;       // exit status of a fatal error, or -1 when the call returned
    std::string out;  // what the call printed on standard output
    std::string err;  // what the call printed on standard error
};

outcome_t run_captured(const std::function<void()> &call);

// Writes content to the named file in the tests' own working folder (a
// fresh temporary folder, removed at the end), so messages name it plainly.
void write_file(const std::string &name, const std::string &content);

// A read-only stream over content, for the spin-system reader.
FILE *text_stream(const std::string &content);

// Runs the atom selection and statistics readers on the given texts, written
// to "atoms.txt" and "stats.txt".
outcome_t read_selection_and_stats(const std::string &atoms, const std::string &stats, data_t &data);

// A square or rectangular matrix in the program's form, from its rows.
matrix_t<double> matrix_of(const std::vector<std::vector<double>> &rows);

// Reads spin systems from the text, after the two files above were read into data.
outcome_t read_spin_systems(const std::string &input, data_t &data);
