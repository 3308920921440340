// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin's own spin-system file.
#include "formats/kestrin_spins.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "formats/atom_names.h"
#include "formats/format_error.h"
#include "input/text_lines.h"

namespace {

std::vector<std::string> lines_of_text(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The value of the attribute NAME="..." of a tag line; empty when absent.
std::string attribute(const std::string &line, const std::string &name) {
    const std::size_t at = line.find(name + "=\"");
    if (at == std::string::npos) return "";
    const std::size_t from = at + name.size() + 2, to = line.find('"', from);
    return to == std::string::npos ? "" : line.substr(from, to - from);
}

const char *isotope_of(char nucleus) { return nucleus == 'H' ? "1" : nucleus == 'C' ? "13" : "15"; }

}  // namespace

bool is_kestrin_spin_file(const std::string &text) {
    for (const std::string &line : lines_of_text(text)) {
        if (line.find_first_not_of(" \t") == std::string::npos || begins_with(line, "<!--")) continue;
        return begins_with(line, "<res ");
    }
    return false;
}

shift_file_t read_kestrin_spin_file(const std::string &text) {
    const std::vector<std::string> lines = lines_of_text(text);
    shift_file_t file;
    file.format = shift_format_t::kestrin;
    file.lists.emplace_back();
    shift_list_t &list = file.lists.back();
    list.line = 1;
    std::set<std::string> names;
    long systems = 0;
    for (std::size_t i = 0; i < lines.size(); i++) {
        if (!begins_with(lines[i], "<res ")) continue;
        const long begun = static_cast<long>(i) + 1;
        systems++;
        std::string name = attribute(lines[i], "name");
        if (name.empty()) name = std::to_string(systems);
        if (!names.insert(name).second)
            throw format_error(begun, "the spin-system name '" + quoted_for_message(name) + "' is used twice");
        const std::string code = attribute(lines[i], "type");
        const int amino_acid = amino_acid_of_name(code, false);
        const std::string residue = amino_acid >= 0 && code.size() == 3 ? code : ".";
        int shifts = 0;
        for (i++;; i++) {
            if (i >= lines.size())
                throw format_error(static_cast<long>(lines.size()),
                                   "the file ends inside the spin system begun on line " + std::to_string(begun));
            const std::string &line = lines[i];
            if (begins_with(line, "</res>")) break;
            if (!begins_with(line, "  <cs ")) continue;
            const long tag_line = static_cast<long>(i) + 1;
            const std::string nucleus = attribute(line, "type");
            if (nucleus != "H" && nucleus != "C" && nucleus != "N")
                throw format_error(tag_line, "unknown chemical shift type '" + quoted_for_message(nucleus) + "'");
            const std::string count_text = attribute(line, "n");
            char *end = nullptr;
            const long count = std::strtol(count_text.c_str(), &end, 10);
            if (count_text.empty() || *end != '\0' || count < 0)
                throw format_error(tag_line, "the count n=\"" + quoted_for_message(count_text) + "\" is not a number");
            if (++i >= lines.size())
                throw format_error(tag_line, "the file ends before the values of this line");
            std::istringstream values(lines[i]);
            std::string value;
            long read = 0;
            while (read < count && values >> value) {
                shift_row_t row;
                row.sequence_code = name;
                row.residue_name = residue;
                row.atom_name = nucleus + "_" + std::to_string(++shifts);
                row.value = value;
                row.element = nucleus;
                row.isotope = isotope_of(nucleus[0]);
                row.line = static_cast<long>(i) + 1;
                list.rows.push_back(row);
                read++;
            }
            if (read < count)
                throw format_error(static_cast<long>(i) + 1, "the values line holds " + std::to_string(read) +
                                                                 " values where n says " + std::to_string(count));
        }
    }
    if (systems == 0) throw format_error(0, "no spin system in this kestrin spin-system file");
    return file;
}
