// SPDX-License-Identifier: GPL-3.0-or-later
// The whole content of an input file, read once, so that standard input and
// pipes work like files.
#pragma once

#include <string>

// The content of the named file, or of standard input for "-"; a file that
// cannot be opened or read throws format_error naming the reason.
std::string read_file_text(const std::string &name);
