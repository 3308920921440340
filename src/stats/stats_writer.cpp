// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the statistics and atom selection files.
#include "stats/stats_writer.h"

#include <cstdarg>
#include <cstdio>

#include "input/records.h"

namespace {

std::string formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));

std::string formatted(const char *format, ...) {
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    const int length = vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (length >= static_cast<int>(sizeof buffer)) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        va_start(arguments, format);
        vsnprintf(text.data(), text.size(), format, arguments);
        va_end(arguments);
        text.pop_back();
        return text;
    }
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace

std::string statistics_text(const statistics_t &statistics, const std::string &title,
                            const std::vector<side_chain_group_t> &groups) {
    std::string text = "# " + title + "\n# res atom type n_obs min max mean sd n_res miss_pct\n";
    for (const side_chain_group_t &group : groups) text += side_chain_group_line(group);
    for (const amino_acid_statistics_t &block : statistics.amino_acids)
        for (const described_atom_t &atom : block.atoms)
            text += formatted("%s %s %c %ld %.3f %.3f %.4f %.4f %ld %.2f\n", AA3[block.amino_acid], atom.name.c_str(),
                              atom.nucleus, atom.moments.n_obs, atom.moments.min, atom.moments.max, atom.mean, atom.sd,
                              block.residues, atom.miss_pct);
    for (const amino_acid_statistics_t &block : statistics.amino_acids) {
        const int d = block.covariance.dim;
        text += formatted("<cov res=\"%s\" dim=\"%d\">\n", AA3[block.amino_acid], d);
        for (int i = 0; i < d; i++) {
            for (int j = 0; j < d; j++) text += formatted(j == 0 ? "%.6f" : " %.6f", block.covariance.at(i, j));
            text += "\n";
        }
        text += "</cov>\n";
    }
    return text;
}

std::string atom_selection_text(const statistics_t &statistics, const std::string &description) {
    std::string text = "# Amino   Atom    Atom\n# Acid    Name    Type\n# " + description + "\n";
    for (const amino_acid_statistics_t &block : statistics.amino_acids) {
        text += "\n";
        for (const described_atom_t &atom : block.atoms)
            text += formatted("%-9s%-9s%c\n", AA3[block.amino_acid], atom.name.c_str(), atom.nucleus);
    }
    return text;
}
