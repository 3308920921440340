// SPDX-License-Identifier: GPL-3.0-or-later
// The one kind of failure of the foreign-format readers: what is wrong, and
// where in the file, for a message "Error: FILE, line N: WHAT".
#pragma once

#include <stdexcept>
#include <string>

struct format_error : std::runtime_error {
    long line;  // line of the file the fault is on, counted from 1; 0 when it concerns the whole file

    format_error(long at_line, const std::string &what) : std::runtime_error(what), line(at_line) {}
};

// "Error: FILE, line N: WHAT" (or "Error: FILE: WHAT" without a line), with
// its line feed; FILE as the user named it.
std::string format_error_message(const std::string &file, const format_error &error);

// The text quoted for a message: control characters (a line feed in an
// identifier) shown as '?' so that a message stays one line.
std::string quoted_for_message(const std::string &text);
