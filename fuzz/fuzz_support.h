// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fuzz targets: fuzz bytes as input files and streams, a call
// run with its output captured, and the check that it ended as the program may.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

struct observed_run_t {
    int status;       // exit status of a fatal error or of the whole run; -1 when a reader returned
    std::string out;  // what the call printed on standard output (when captured)
    std::string err;  // what the call printed on standard error
};

// Runs the call with standard error (and, if asked, standard output) captured
// in memory. The sanitizers write their reports to the file descriptor, not
// through these streams, so a report still reaches the terminal.
observed_run_t run_observed(const std::function<int()> &call, bool capture_stdout);

struct parameters_t;
struct data_t;

// Runs the atom selection and statistics readers with their output captured.
observed_run_t read_selection_and_stats(const parameters_t &params, data_t &data);

// Sends standard output to /dev/null, for targets that do not examine the reports.
void discard_standard_output();

// Aborts, so that libFuzzer records the input, when the run did not end as
// the program allows: a status other than 0 or 1, a fatal error without its
// message, a message without its status, or reader output on standard output.
void check_reader_run(const observed_run_t &run);
void check_whole_run(const observed_run_t &run);

// Writes the bytes to a file named `name` in this process's scratch folder
// and returns its path.
std::string write_scratch_file(const char *name, const uint8_t *data, std::size_t size);
std::string write_scratch_file(const char *name, const std::string &text);

// Splits a whole-run input into the atom selection, the statistics file and
// the spin systems, at lines that hold only "%%". False (the input is not
// tried) unless there are three parts within the bounds that keep one run of
// the full-permutation models fast: at most 10 atom lines, 8 spin systems,
// 3 shifts per nucleus, 8192 bytes.
bool split_run_input(const uint8_t *bytes, std::size_t size, std::string parts[3]);

// A read-only stream over the bytes, for standard input.
FILE *open_byte_stream(const uint8_t *data, std::size_t size);
