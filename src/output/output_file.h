// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs that are written whole or not at all: standard output checked for
// write errors, and named files written beside their final name and renamed
// into place only when complete.
#pragma once

#include <cstdio>
#include <string>

// Flushes standard output; a write that failed now or earlier (a full disk,
// a closed descriptor, a pipe whose reader left while SIGPIPE is ignored)
// ends the run with "Error: cannot write standard output: REASON".
void check_standard_output();

// Writes the text to standard output and checks it as above.
void write_standard_output(const std::string &text);

// Occupies any of the descriptors 0, 1 and 2 that is closed with one that
// refuses input and output, so that no file opened later takes its number:
// the reports of a run started with ">&-" must fail, not land in a table.
void keep_standard_descriptors_open();

// A named output file. The constructor creates a temporary file in the same
// directory, so that an unwritable path fails before any work is done;
// commit() renames it over the final name once everything is written. A file
// that is never committed (the run failed) is removed, and whatever stood
// under the final name stays as it was. A final name that exists and is not a
// regular file (a FIFO, a terminal) is written directly, since it cannot be
// replaced. A symbolic link stays in place and its target is replaced. The
// name "-", and any name of the file that standard output is (/dev/stdout),
// mean standard output.
class output_file_t {
public:
    explicit output_file_t(const std::string &path);
    ~output_file_t();
    output_file_t(const output_file_t &) = delete;
    output_file_t &operator=(const output_file_t &) = delete;

    FILE *stream() const { return stream_; }
    bool writes_standard_output() const { return to_standard_output_; }
    // Completes the file; a failed write, flush, close or rename ends the run
    // with "Error: cannot write 'PATH': REASON" and leaves no temporary behind.
    void commit();
    // The part of commit() that can fail for want of space: flushes, syncs and
    // closes the temporary without renaming it, so that several files can all
    // be written out before any of them replaces its final name.
    void write_out();

private:
    [[noreturn]] void fail_write(int error);

    std::string path_;       // the final name, as given
    std::string replaced_;   // the name the temporary is renamed to: path_, or its link's target
    std::string temporary_;  // where the text goes until commit; empty when written directly
    FILE *stream_ = nullptr;
    bool to_standard_output_ = false;
};
