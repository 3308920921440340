// SPDX-License-Identifier: GPL-3.0-or-later
// Reader of the statistics file: per-atom shift statistics and per-type
// covariance blocks, kept for the selected atoms only. The format:
// docs/formats.md, "Statistics".
#include <string>
#include <vector>

#include "input/failure.h"
#include "input/readers.h"
#include "input/residue_table.h"
#include "input/text_lines.h"

namespace {

// The ten fields of a statistics line; fields 4, 5, 6 and 9 are read and discarded.
struct stat_line_t {
    std::string code, atom_name, atom_type;
    double mean = 0.0, std_dev = 0.0, miss_percent = 0.0;
};

bool parse_stat_line(const std::string &line, stat_line_t &stat) {
    const std::vector<std::string> f = split_whitespace(line);
    if (f.size() < 10) return false;
    long unused_integer;
    double unused_real;
    if (!read_integer(f[3], unused_integer) || !read_real(f[4], unused_real) || !read_real(f[5], unused_real) ||
        !read_real(f[6], stat.mean) || !read_real(f[7], stat.std_dev) || !read_integer(f[8], unused_integer) ||
        !read_real(f[9], stat.miss_percent))
        return false;
    stat.code = f[0];
    stat.atom_name = f[1];
    stat.atom_type = f[2];
    return true;
}

// State of one read: the file's lines and names, and per type which
// statistics lines of its run describe a selected atom.
struct stats_read_t {
    const std::vector<std::string> &lines;
    const char *fname;
    const char *atoms_fname;
    std::vector<std::vector<char>> tags;  // tags[t][j]: line j of type t's run is a selected atom
};

[[noreturn]] void fail_end_of_file(const stats_read_t &read) {
    fail("Error: unexpected End-Of-File in '%s'\n", read.fname);
}

// The type index of a selected code; -2 (not selected) is fatal.
int selected_type(const stats_read_t &read, const std::string &code, int value) {
    if (value < 0)
        fail("Error: amino acid '%s' in stat file '%s' has not been selected in '%s' file.\n", code.c_str(),
             read.fname, read.atoms_fname);
    return value;
}

void allocate_type_arrays(stat_data_t &sdata) {
    const int m = sdata.atom_num;
    ALLOCATE(sdata.mean, m, "sdata->mean");
    ALLOCATE(sdata.std_dev, m, "sdata->std_dev");
    ALLOCATE(sdata.miss, m, "sdata->miss");
    ALLOCATE_MATRIX(sdata.cov, m, m, "sdata->cov");
    ALLOCATE(sdata.atom_type, m, "sdata->atom_type");
}

void store_stat_line(const stats_read_t &read, const stat_line_t &stat, const std::string &line, int line_number,
                     stat_data_t &sdata, int p) {
    // atom_type starts at 0 and is set by the atom's line, so a second line
    // for the same atom shows as an entry already set.
    if (sdata.atom_type[p] != 0)
        fail("Error: atom '%s %s' of '%s' is described twice in stat file '%s' line %d\n%s", stat.atom_name.c_str(),
             stat.atom_type.c_str(), stat.code.c_str(), read.fname, line_number, echoed_line(line).c_str());
    const char nucleus = stat.atom_type[0];
    sdata.mean[p] = stat.mean;
    sdata.std_dev[p] = stat.std_dev;
    sdata.miss[p] = stat.miss_percent / 100.0;
    sdata.atom_type[p] = nucleus;
    if (nucleus == 'H')
        sdata.H_num++;
    else if (nucleus == 'C')
        sdata.C_num++;
    else if (nucleus == 'N')
        sdata.N_num++;
    else
        fail("Error: unknown atom type '%c' (should be H, C or N) in file '%s'.\n", nucleus, read.fname);
}

// Statistics lines, from after the two headers up to the first block.
void read_stat_lines(stats_read_t &read, data_t &data) {
    std::vector<char> run_seen(data.type_num, 0);
    int last = -1;
    for (std::size_t li = 2; li < read.lines.size() && !begins_with(read.lines[li], "<cov "); li++) {
        const std::string &line = read.lines[li];
        const int line_number = static_cast<int>(li) + 1;
        stat_line_t stat;
        if (!parse_stat_line(line, stat)) continue;

        const int *code = find_residue_key(stat.code);
        if (code == nullptr)
            fail("Error: unknown amino acid (%s) in stat file '%s' line %d\n%s", stat.code.c_str(), read.fname,
                 line_number, line.c_str());
        const int t = selected_type(read, stat.code, *code);
        if (t != last) {
            // Covariance rows follow the order of one run of lines per amino acid.
            if (run_seen[t])
                fail("Error: amino acid '%s' appears in more than one block in stat file '%s' line %d\n",
                     stat.code.c_str(), read.fname, line_number);
            run_seen[t] = 1;
            last = t;
        }

        const int *position = find_residue_key(stat.code + " " + stat.atom_name + " " + stat.atom_type);
        read.tags[t].push_back(position != nullptr);
        if (position != nullptr) store_stat_line(read, stat, line, line_number, data.sdata[t], *position);
    }
}

struct cov_header_t {
    std::string code;
    decimal_t dim;         // as written, for messages
    std::size_t size = 0;  // its value, SIZE_MAX when larger
};

// "<cov res="ALA" dim="6">": the code starts five characters after res=,
// the dimension five characters after dim=.
bool parse_cov_header(const std::string &line, cov_header_t &header) {
    const std::size_t res = line.find("res=");
    const std::size_t dim = line.find("dim=");
    if (res == std::string::npos || dim == std::string::npos) return false;
    header.code = res + 5 <= line.size() ? line.substr(res + 5, 3) : std::string();
    if (dim + 5 > line.size() || !read_decimal(line.substr(dim + 5), header.dim) || header.dim.negative ||
        header.dim.digits == "0")
        return false;
    header.size = capped_value(header.dim);
    return true;
}

// Stores the selected rows and columns of one block; returns the index of its end line.
std::size_t read_cov_block(const stats_read_t &read, std::size_t li, const cov_header_t &header, stat_data_t &sdata,
                           const std::vector<char> &tags) {
    for (std::size_t j = 0; j < tags.size(); j++)
        if (tags[j] && j >= header.size)
            fail("Error: covariance block of '%s' in stat file '%s' has dimension %s, too small for its statistics "
                 "lines\n",
                 header.code.c_str(), read.fname, header.dim.digits.c_str());

    if (++li >= read.lines.size()) fail_end_of_file(read);
    int i = 0;
    for (std::size_t r = 0; !begins_with(read.lines[li], "</cov>"); r++) {
        if (r < tags.size() && tags[r]) {
            const std::vector<std::string> values = split_blanks(read.lines[li]);
            if (values.size() < header.size)
                fail("Error: covariance row %d of '%s' in stat file '%s' has fewer than %s values\n",
                     static_cast<int>(r) + 1, header.code.c_str(), read.fname, header.dim.digits.c_str());
            int k = 0;
            for (std::size_t c = 0; c < tags.size(); c++)
                if (tags[c]) sdata.cov[i][k++] = real_or_zero(values[c]);
            i++;
        }
        if (++li >= read.lines.size()) fail_end_of_file(read);
    }
    return li;
}

// Every block of the file, headers included, read from its start.
void read_cov_blocks(const stats_read_t &read, data_t &data) {
    for (std::size_t li = 0; li < read.lines.size(); li++) {
        const std::string &line = read.lines[li];
        if (!begins_with(line, "<cov ")) continue;
        cov_header_t header;
        if (!parse_cov_header(line, header))
            fail("Error: malformed covariance header in stat file '%s' line %d\n%s", read.fname,
                 static_cast<int>(li) + 1, echoed_line(line).c_str());
        const int *code = find_residue_key(header.code);
        if (code == nullptr)
            fail("Error: unknown amino acid (%s) in stat file '%s' while reading covariances\n%s",
                 header.code.c_str(), read.fname, line.c_str());
        const int t = selected_type(read, header.code, *code);
        li = read_cov_block(read, li, header, data.sdata[t], read.tags[t]);
    }
}

}  // namespace

void read_stats(const parameters_t &params, data_t &data) {
    const std::vector<std::string> lines = READ_FILE_LINES(params.Corvane_fname);
    read_stats_lines(lines, params.Corvane_fname->c_str(),
                     params.input_atoms_fname ? params.input_atoms_fname->c_str() : "(null)", data);
}

void read_stats_lines(const std::vector<std::string> &lines, const char *fname, const char *atoms_fname,
                      data_t &data) {
    stats_read_t read{lines, fname, atoms_fname, {}};
    if (lines.size() < 2) fail_end_of_file(read);

    ALLOCATE(read.tags, data.type_num, "(tags)");
    for (stat_data_t &sdata : data.sdata) allocate_type_arrays(sdata);

    read_stat_lines(read, data);
    read_cov_blocks(read, data);

    FREE_GUARDED(read.tags, "(tags)[0]");
}
