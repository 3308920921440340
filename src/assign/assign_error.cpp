// SPDX-License-Identifier: GPL-3.0-or-later
// Messages of kestrin-assign's failures.
#include "assign/assign_error.h"

#include "formats/format_error.h"

std::string file_fault(const std::string &file, const format_error &error) {
    std::string message = quoted_for_message(file == "-" ? "standard input" : file);
    if (error.line > 0) message += ", line " + std::to_string(error.line);
    return message + ": " + error.what();
}

std::string ended_run_message(const std::string &captured) {
    std::string message;
    std::size_t start = 0;
    while (start < captured.size()) {
        std::size_t end = captured.find('\n', start);
        if (end == std::string::npos) end = captured.size();
        const std::string line = captured.substr(start, end - start);
        if (line.compare(0, 17, "kestrin: at line ") != 0) message += (message.empty() ? "" : "\n") + line;
        start = end + 1;
    }
    if (message.compare(0, 7, "Error: ") == 0) message.erase(0, 7);
    return message;
}
