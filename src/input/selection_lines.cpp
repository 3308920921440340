// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the atom selection file, apart from how a fault is reported.
#include "input/selection_lines.h"

#include <unordered_set>

#include "input/records.h"
#include "input/text_lines.h"

namespace {

bool is_amino_acid_code(const std::string &code) {
    for (const char *known : AA3)
        if (code == known) return true;
    return false;
}

}  // namespace

selection_lines_t read_selection_lines(const std::vector<std::string> &lines) {
    selection_lines_t read;
    std::unordered_set<std::string> seen;  // "code name type" of every distinct line
    long number = 0;
    int position = 0;
    for (const std::string &line : lines) {
        number++;
        if (line.empty() || line[0] == '#' || line[0] == '\n') continue;
        const std::vector<std::string> words = split_whitespace(line);
        if (words.size() < 3) continue;
        read.word_lines++;
        if (read.fault != selection_fault_t::none) continue;
        if (!seen.insert(words[0] + " " + words[1] + " " + words[2]).second) continue;
        const std::string &code = words[0];
        if (!is_amino_acid_code(code)) {
            read.fault = selection_fault_t::unknown_residue;
        } else if (!read.codes.empty() && code == read.codes.back()) {
            position++;
        } else {
            for (const std::string &opened : read.codes)
                if (opened == code) read.fault = selection_fault_t::repeated_block;
            position = 0;
            if (read.fault == selection_fault_t::none) read.codes.push_back(code);
        }
        if (read.fault != selection_fault_t::none) {
            read.fault_line = number;
            read.fault_code = code;
            continue;
        }
        read.entries.push_back(
            {code, words[1], words[2], static_cast<int>(read.codes.size()) - 1, position, number});
    }
    if (read.word_lines == 0) read.fault = selection_fault_t::nothing_selected;
    return read;
}
