// SPDX-License-Identifier: GPL-3.0-or-later
// Reader of the spin systems: observed shifts grouped by spin system, each
// shift labelled only by its nucleus. The format: docs/formats.md, "Spin systems".
#include <string>
#include <vector>

#include "input/failure.h"
#include "input/readers.h"
#include "input/residue_table.h"
#include "input/text_lines.h"

namespace {

bool is_begin_line(const std::string &line) { return begins_with(line, "<res "); }
bool is_end_line(const std::string &line) { return begins_with(line, "</res>"); }
bool is_shift_line(const std::string &line) { return begins_with(line, "  <cs "); }

[[noreturn]] void fail_malformed(const std::vector<std::string> &lines, std::size_t li) {
    fail("Error: malformed line %d in stdin\n%s", static_cast<int>(li) + 1, echoed_line(lines[li]).c_str());
}

[[noreturn]] void fail_end_of_input() { fail("Error: unexpected End-Of-File while reading stdin\n"); }

// The three characters six after the start of "type" (type="ALA").
std::string declared_code(const std::vector<std::string> &lines, std::size_t li) {
    const std::string &line = lines[li];
    const std::size_t type = line.find("type");
    std::size_t visible = line.size();
    if (visible > 0 && line[visible - 1] == '\n') visible--;
    if (type == std::string::npos || type + 9 > visible) fail_malformed(lines, li);
    return line.substr(type + 6, 3);
}

// The text after the first name=" up to the next double quote. A name whose
// quote is never closed is taken as absent rather than guessed at: the line
// could end anywhere in it.
std::string spin_system_name(const std::string &line) {
    const std::string attribute = "name=\"";
    const std::size_t start = line.find(attribute);
    if (start == std::string::npos) return "";
    const std::size_t first = start + attribute.size();
    const std::size_t end = line.find('"', first);
    return end == std::string::npos ? "" : line.substr(first, end - first);
}

struct shift_line_t {
    char nucleus;
    decimal_t count;
};

// Nucleus: the character six after "type"; count: the integer three after "n=".
shift_line_t parse_shift_line(const std::vector<std::string> &lines, std::size_t li) {
    const std::string &line = lines[li];
    const std::size_t type = line.find("type");
    const std::size_t n = line.find("n=");
    decimal_t count;
    if (type == std::string::npos || type + 6 >= line.size() || n == std::string::npos || n + 3 > line.size() ||
        !read_decimal(line.substr(n + 3), count) || count.negative)
        fail_malformed(lines, li);
    return {line[type + 6], count};
}

// The first count values of the values line; returns the count. A line
// holds fewer values than any count too large for an int.
int read_values(const std::vector<std::string> &lines, std::size_t li, const decimal_t &count,
                std::vector<double> &values, const char *what) {
    const std::vector<std::string> tokens = split_blanks(lines[li]);
    if (tokens.size() < capped_value(count))
        fail("Error: expected %s values but found %d on line %d of stdin\n", count.digits.c_str(),
             static_cast<int>(tokens.size()), static_cast<int>(li) + 1);
    const int n = static_cast<int>(capped_value(count));
    allocate_vector(values, n, what, __LINE__, "read_input_values");
    for (int i = 0; i < n; i++) values[i] = real_or_zero(tokens[i]);
    return n;
}

// Reads the shift lines of one spin system, from the line after its begin
// line to its end line; returns the index of the end line.
std::size_t read_spin_system(const std::vector<std::string> &lines, std::size_t li, value_data_t &v) {
    if (++li >= lines.size()) fail_end_of_input();
    while (!is_end_line(lines[li])) {
        if (is_shift_line(lines[li])) {
            const shift_line_t shift = parse_shift_line(lines, li);
            int *num;
            std::vector<double> *val;
            const char *what;
            switch (shift.nucleus) {
            case 'H': num = &v.H_num, val = &v.H_val, what = "vdata->H_val"; break;
            case 'C': num = &v.C_num, val = &v.C_val, what = "vdata->C_val"; break;
            case 'N': num = &v.N_num, val = &v.N_val, what = "vdata->N_val"; break;
            default: fail("Error: unknown chemical shift type '%c'\n", shift.nucleus);
            }
            if (++li >= lines.size()) fail_end_of_input();
            // An empty shift line must not swallow the line that ends or continues the spin system.
            if (shift.count.digits == "0" && (is_end_line(lines[li]) || is_shift_line(lines[li]))) {
                *num = 0;
                val->clear();
                v.total_num = v.H_num + v.C_num + v.N_num;
                continue;
            }
            *num = read_values(lines, li, shift.count, *val, what);
        }
        v.total_num = v.H_num + v.C_num + v.N_num;
        if (++li >= lines.size()) fail_end_of_input();
    }
    return li;
}

}  // namespace

void read_input_values(data_t &data, FILE *in) {
    const std::vector<std::string> lines = read_lines(in);
    int begin_lines = 0;
    for (const std::string &line : lines)
        if (is_begin_line(line)) begin_lines++;
    ALLOCATE(data.vdata, begin_lines, "data->vdata");

    int s = 0, b = 0;
    for (std::size_t li = 0; li < lines.size(); li++) {
        if (!is_begin_line(lines[li])) continue;
        b++;
        value_data_t &v = data.vdata[s];
        ALLOCATE(v.proba, data.type_num, "vdata->proba");
        const std::string code = declared_code(lines, li);
        const int *type = find_residue_key(code);
        if (type != nullptr && *type < 0) {
            fprintf(stderr, "Warning: no statistics have been read for this residue ('%s' number %d in input file).",
                    code.c_str(), b);
            continue;
        }
        v.res_type = type == nullptr ? -1 : *type;
        v.declared = code;
        v.name = spin_system_name(lines[li]);
        li = read_spin_system(lines, li, v);
        s++;
    }
    data.spin_num = s;
}
