// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a BMRB-style table of archive-wide shift statistics.
#include "stats/archive_means.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "formats/atom_names.h"
#include "formats/format_error.h"
#include "formats/spin_systems.h"
#include "input/records.h"

namespace {

std::vector<std::string> split_fields(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

// The atom name kestrin gives a methyl that the table names by its pseudo-atom.
std::string atom_of_pseudo_atom(const std::string &residue, const std::string &atom) {
    static const struct {
        const char *residue, *pseudo, *atom;
    } methyls[] = {{"ALA", "MB", "HB"},   {"ILE", "MG", "HG2"},  {"ILE", "MD", "HD1"}, {"LEU", "MD1", "HD1"},
                   {"LEU", "MD2", "HD2"}, {"MET", "ME", "HE"},   {"THR", "MG", "HG2"}, {"VAL", "MG1", "HG1"},
                   {"VAL", "MG2", "HG2"}};
    for (const auto &m : methyls)
        if (residue == m.residue && atom == m.pseudo) return m.atom;
    return atom;
}

int column_of(const std::vector<std::string> &header, const char *name) {
    for (std::size_t i = 0; i < header.size(); i++)
        if (header[i] == name) return static_cast<int>(i);
    throw format_error(1, std::string("the header names no column '") + name +
                              "' (expected comp_id,atom_id,count,min,max,avg,std)");
}

}  // namespace

reference_means_t read_archive_means(const std::string &text) {
    reference_means_t means;
    std::vector<std::string> header;
    int residue_column = 0, atom_column = 0, mean_column = 0, sd_column = 0;
    long line_number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line_number++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> fields = split_fields(line);
        if (header.empty()) {
            header = fields;
            residue_column = column_of(header, "comp_id");
            atom_column = column_of(header, "atom_id");
            mean_column = column_of(header, "avg");
            sd_column = column_of(header, "std");
            continue;
        }
        if (fields.size() != header.size())
            throw format_error(line_number, std::to_string(fields.size()) + " fields where the header names " +
                                                std::to_string(header.size()));
        const int amino_acid = amino_acid_of_name(fields[residue_column], false);
        if (amino_acid < 0) continue;
        if (fields[atom_column].empty()) throw format_error(line_number, "the atom name is empty");
        const std::string &mean = fields[mean_column], &sd = fields[sd_column];
        if (!is_decimal_number(mean) || !(std::fabs(strtod(mean.c_str(), nullptr)) <= largest_shift))
            throw format_error(line_number, "the mean '" + quoted_for_message(mean) +
                                                "' is not a number within 1000000 ppm");
        if (!is_decimal_number(sd) || !(strtod(sd.c_str(), nullptr) > 0.0) ||
            !(strtod(sd.c_str(), nullptr) <= largest_shift))
            throw format_error(line_number, "the standard deviation '" + quoted_for_message(sd) +
                                                "' is not a positive number within 1000000 ppm");
        const std::string residue = AA3[amino_acid];
        const std::string key = residue + " " + atom_of_pseudo_atom(residue, fields[atom_column]);
        means.emplace(key, reference_moments_t{strtod(mean.c_str(), nullptr), strtod(sd.c_str(), nullptr)});
    }
    if (header.empty()) throw format_error(0, "the file is empty");
    return means;
}
