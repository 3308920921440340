// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and checking the statistics for kestrin-assign, by kestrin's own
// readers (the files: docs/formats.md, "Statistics" and "Atom selection").
#include "assign/assign_statistics.h"

#include <cmath>
#include <cstdio>

#include "assign/assign_error.h"
#include "formats/file_text.h"
#include "formats/format_error.h"
#include "groups/side_chain_groups.h"
#include "input/failure.h"
#include "input/readers.h"
#include "input/text_lines.h"
#include "secondary/structure_classes.h"

namespace {

std::string shown(const std::string &file) { return file == "-" ? "standard input" : file; }

std::string text_of_file(const std::string &file, const char *what) {
    try {
        return read_file_text(file);
    } catch (const format_error &error) {
        throw assign_error(std::string(what) + " " + file_fault(file, error));
    }
}

// The text split into lines as kestrin's readers split the files they open.
std::vector<std::string> lines_of(const std::string &text) {
    if (text.empty()) return {};
    FILE *stream = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    if (stream == nullptr) throw assign_error("cannot read a file of " + std::to_string(text.size()) + " bytes");
    std::vector<std::string> lines = read_lines(stream);
    fclose(stream);
    return lines;
}

// Reads the two files with kestrin's readers, their messages kept.
void read_with_kestrin_readers(const std::vector<std::string> &atoms, const std::vector<std::string> &stats,
                               const std::string &atoms_file, const std::string &stats_file, data_t &data) {
    with_own_messages([&] {
        read_cs_lines(atoms, shown(atoms_file).c_str(), data, false);
        read_stats_lines(stats, shown(stats_file).c_str(), shown(atoms_file).c_str(), data);
    });
}

int amino_acid_of_code(const std::string &code) {
    for (int a = 0; a < 20; a++)
        if (code == AA3[a]) return a;
    return -1;
}

int nucleus_rank(char nucleus) { return nucleus == 'H' ? 0 : nucleus == 'C' ? 1 : 2; }

}  // namespace

std::vector<type_statistics_t> read_type_statistics(const std::string &stats_file, const std::string &atoms_file) {
    const std::string atoms_text = text_of_file(atoms_file, "the atom selection");
    // The formats' reader applies kestrin's rules and names the line at fault.
    try {
        read_atom_selection(atoms_text);
    } catch (const format_error &error) {
        throw assign_error("the atom selection " + file_fault(atoms_file, error));
    }
    const std::string stats_text = text_of_file(stats_file, "the statistics");
    data_t data;
    read_with_kestrin_readers(lines_of(atoms_text), lines_of(stats_text), atoms_file, stats_file, data);

    std::vector<type_statistics_t> types(data.type_num);
    for (int e = 0; e < data.key_num; e++) {
        const std::vector<std::string> words = split_whitespace(data.cs_keys[e]);
        type_statistics_t &type = types[data.res_num[e]];
        type.amino_acid = amino_acid_of_code(words[0]);
        if (static_cast<int>(type.atoms.size()) <= data.cs_num[e]) type.atoms.resize(data.cs_num[e] + 1);
        type.atoms[data.cs_num[e]] = {words[1], words[2][0]};
    }
    for (int t = 0; t < data.type_num; t++) {
        type_statistics_t &type = types[t];
        const stat_data_t &s = data.sdata[t];
        for (int p = 0; p < s.atom_num; p++) {
            const selected_atom_t &atom = type.atoms[p];
            if (s.atom_type[p] == 0)
                throw assign_error("the statistics file " + shown(stats_file) + " does not describe " +
                                   AA3[type.amino_acid] + " " + atom.name + ", which the atom selection " +
                                   shown(atoms_file) + " lists");
            if (p > 0 && nucleus_rank(atom.nucleus) < nucleus_rank(type.atoms[p - 1].nucleus))
                throw assign_error("the atom selection " + shown(atoms_file) + " lists " + AA3[type.amino_acid] +
                                   " " + atom.name + " after " + type.atoms[p - 1].name +
                                   ": list each type's H atoms first, then its C atoms, then its N atoms");
        }
        type.stats = copy_statistics(s);
    }
    attach_side_chain_groups(types, side_chain_groups_of_text(stats_text));
    return types;
}

std::vector<type_statistics_t> selection_of_file(const std::vector<type_statistics_t> &types,
                                                 const std::string &rule_file) {
    atom_selection_t wanted;
    try {
        wanted = read_atom_selection(text_of_file(rule_file, "the atom selection"));
    } catch (const format_error &error) {
        throw assign_error("the atom selection " + file_fault(rule_file, error));
    }
    for (int a = 0; a < 20; a++)
        for (const selected_atom_t &atom : wanted.atoms[a]) {
            bool held = false;
            for (const type_statistics_t &type : types)
                if (type.amino_acid == a)
                    for (const selected_atom_t &own : type.atoms)
                        held = held || (own.name == atom.name && own.nucleus == atom.nucleus);
            if (!held)
                throw assign_error("the atom selection " + shown(rule_file) + " lists " + AA3[a] + " " + atom.name +
                                   ", which the statistics' selection does not hold");
        }
    return restricted_statistics(types, [&](int amino_acid, const selected_atom_t &atom) {
        return selected_position(wanted, amino_acid, atom.name, atom.nucleus) >= 0;
    });
}

void check_covariances(const std::vector<type_statistics_t> &types, const std::string &stats_file) {
    for (const type_statistics_t &type : types) {
        const stat_data_t &s = type.stats;
        const int m = s.atom_num;
        // Cholesky factor L with L L^T = cov, row by row; a pivot that is not
        // clearly positive means the matrix is not positive definite.
        std::vector<double> l(static_cast<std::size_t>(m) * m, 0.0);
        for (int i = 0; i < m; i++)
            for (int j = 0; j <= i; j++) {
                double sum = s.cov[i][j];
                for (int k = 0; k < j; k++) sum -= l[i * m + k] * l[j * m + k];
                if (i == j) {
                    if (!(sum > 1e-12 * std::fabs(s.cov[i][i])) || !(sum > 0.0))
                        throw assign_error("the covariances of " + std::string(AA3[type.amino_acid]) + " in " +
                                           shown(stats_file) +
                                           " are not positive definite (a missing or singular covariance block); "
                                           "the models cfpd and cspd cannot use them");
                    l[i * m + i] = std::sqrt(sum);
                } else {
                    l[i * m + j] = sum / l[j * m + j];
                }
            }
    }
}

int atom_count(const std::vector<type_statistics_t> &types) {
    int count = 0;
    for (const type_statistics_t &type : types) count += type.stats.atom_num;
    return count;
}

namespace {

// The residues each type of a statistics file is described from: n_res of
// its first line ("ALA H H n_obs min max mean sd n_res miss_pct").
std::array<double, 20> residues_per_type(const std::string &stats_file) {
    std::array<double, 20> residues{};
    std::array<bool, 20> seen{};
    for (const std::string &line : lines_of(text_of_file(stats_file, "the statistics file"))) {
        char code[8];
        double n_res = 0.0;
        if (line.empty() || line[0] == '#') continue;
        if (std::sscanf(line.c_str(), "%7s %*s %*s %*s %*s %*s %*s %*s %lf", code, &n_res) != 2) continue;
        const int a = amino_acid_of_code(code);
        if (a >= 0 && !seen[a] && n_res >= 0.0) {
            residues[a] = n_res;
            seen[a] = true;
        }
    }
    return residues;
}

}  // namespace

class_statistics_t read_class_statistics(const std::string &stem, const std::string &atoms_file) {
    class_statistics_t classes;
    classes.stem = stem;
    std::array<std::array<double, 20>, 3> residues;
    for (std::size_t c = 0; c < 3; c++) {
        const std::string file = stem + "_" + structure_class_key(structure_classes[c]) + ".txt";
        classes.types[c] = read_type_statistics(file, atoms_file);
        residues[c] = residues_per_type(file);
    }
    for (int a = 0; a < 20; a++) {
        const double total = residues[0][a] + residues[1][a] + residues[2][a];
        for (std::size_t c = 0; c < 3; c++) classes.share[a][c] = total > 0.0 ? residues[c][a] / total : 0.0;
    }
    return classes;
}
