// SPDX-License-Identifier: GPL-3.0-or-later
// The one kind of failure of kestrin-assign's own stages: a message that ends
// the run with status 1, printed as "kestrin-assign: error: MESSAGE".
#pragma once

#include <stdexcept>
#include <string>

#include "formats/format_error.h"
#include "input/failure.h"

struct assign_error : std::runtime_error {
    explicit assign_error(const std::string &message) : std::runtime_error(message) {}
};

// "FILE, line N: WHAT" (or "FILE: WHAT") for a foreign-format reader's
// failure, FILE as the user named it ("standard input" for -).
std::string file_fault(const std::string &file, const format_error &error);

// The message a shared helper ended the run with, without kestrin's locator
// lines and its "Error: " prefix.
std::string ended_run_message(const std::string &captured);

// Runs the call with the messages that the shared helpers end a run with
// (kestrin's readers, the output files, standard output) turned into an
// assign_error, so that they reach the user as kestrin-assign's own.
template <typename Call>
void with_own_messages(Call call) {
    error_capture_t capture;
    try {
        call();
    } catch (const run_ended &) {
        throw assign_error(ended_run_message(capture.text));
    }
}
