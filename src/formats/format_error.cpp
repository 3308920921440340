// SPDX-License-Identifier: GPL-3.0-or-later
// Messages of the foreign-format readers.
#include "formats/format_error.h"

std::string quoted_for_message(const std::string &text) {
    std::string shown = text;
    for (char &c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown;
}

std::string format_error_message(const std::string &file, const format_error &error) {
    std::string message = "Error: " + quoted_for_message(file);
    if (error.line > 0) message += ", line " + std::to_string(error.line);
    return message + ": " + error.what() + "\n";
}
