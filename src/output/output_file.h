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

// A named output file. The constructor creates a temporary file in the same
// directory, so that an unwritable path fails before any work is done;
// commit() renames it over the final name once everything is written. A file
// that is never committed (the run failed) is removed, and whatever stood
// under the final name stays as it was. A final name that exists and is not a
// regular file (a FIFO, /dev/stdout) is written directly, since it cannot be
// replaced. The name "-" means standard output.
class output_file_t {
public:
    explicit output_file_t(const std::string &path);
    ~output_file_t();
    output_file_t(const output_file_t &) = delete;
    output_file_t &operator=(const output_file_t &) = delete;

    FILE *stream() const { return stream_; }
    // Completes the file; a failed write, flush, close or rename ends the run
    // with "Error: cannot write 'PATH': REASON" and leaves no temporary behind.
    void commit();

private:
    [[noreturn]] void fail_write(int error);

    std::string path_;       // the final name
    std::string temporary_;  // where the text goes until commit; empty when written directly
    FILE *stream_ = nullptr;
    bool to_standard_output_ = false;
};
