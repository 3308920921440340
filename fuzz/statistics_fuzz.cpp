// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: kestrin-stats on arbitrary text, read as an entry (twice, so
// that atoms have pairs) for a small atom selection and as a table of means;
// whatever statistics come out must be what kestrin can read, and the
// side-chain groups they state must read back as written. The text is also
// read as group lines of a statistics file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/format_error.h"
#include "formats/shift_table.h"
#include "stats/archive_means.h"
#include "groups/side_chain_groups.h"
#include "stats/stats_writer.h"

namespace {

const atom_selection_t &selection() {
    static const atom_selection_t atoms =
        read_atom_selection("ALA H H\nALA HB H\nALA CA C\nALA N N\nGLY HA2 H\nGLY HA3 H\nGLY CA C\n"
                            "VAL HG1 H\nVAL HG2 H\nVAL CB C\n");
    return atoms;
}

[[noreturn]] void finding(const char *what, int amino_acid) {
    fprintf(stderr, "\nfinding: %s (amino acid %d)\n", what, amino_acid);
    abort();
}

// Finite numbers, an exactly symmetric covariance matrix with the written
// sds on its diagonal, and a Cholesky decomposition of it as printed.
void check(const statistics_t &statistics) {
    for (const amino_acid_statistics_t &block : statistics.amino_acids) {
        const int d = block.covariance.dim;
        if (d != static_cast<int>(block.atoms.size())) finding("a block of the wrong size", block.amino_acid);
        for (int i = 0; i < d; i++) {
            const described_atom_t &atom = block.atoms[i];
            if (!std::isfinite(atom.mean) || !(atom.sd > 0) || !std::isfinite(atom.sd) || !std::isfinite(atom.miss_pct) ||
                atom.miss_pct <= 0 || atom.miss_pct >= 100)
                finding("an atom line that kestrin cannot use", block.amino_acid);
            for (int j = 0; j < d; j++)
                if (!std::isfinite(block.covariance.at(i, j)) || block.covariance.at(i, j) != block.covariance.at(j, i))
                    finding("a covariance that is not finite or not symmetric", block.amino_acid);
        }
        if (!cholesky_succeeds(as_printed(block.covariance))) finding("a printed matrix without Cholesky", block.amino_acid);
    }
    const std::string text = statistics_text(statistics, "fuzz");
    if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos) abort();
}

// Groups as counted, written and read back: the same types, atoms and
// shares to the printed digits.
void check_groups(const gathered_shifts_t &gathered, const statistics_t &statistics) {
    const std::vector<side_chain_group_t> groups = count_side_chain_groups(gathered, statistics);
    const std::vector<side_chain_group_t> read = side_chain_groups_of_text(statistics_text(statistics, "fuzz", groups));
    if (read.size() != groups.size()) finding("side-chain groups that do not read back", -1);
    for (std::size_t g = 0; g < groups.size(); g++) {
        if (!(groups[g].unassigned_pct > 0.0) || !(groups[g].unassigned_pct < 100.0))
            finding("a side-chain share outside (0, 100)", groups[g].amino_acid);
        if (read[g].amino_acid != groups[g].amino_acid || read[g].atoms != groups[g].atoms ||
            !(std::fabs(read[g].unassigned_pct - groups[g].unassigned_pct) <= 0.005))
            finding("a side-chain group read back otherwise", groups[g].amino_acid);
    }
}

void build(const std::string &text) {
    stats_settings_t settings;
    settings.selection = &selection();
    gathered_shifts_t gathered;
    try {
        const shift_file_t file = read_shift_file(text);
        for (int copy = 0; copy < 2; copy++)
            for (const shift_list_t &list : file.lists)
                gather_entry(gathered, group_spin_systems(list, file.format).systems, settings);
    } catch (const format_error &error) {
        if (error.line < 0) abort();
        return;
    }
    for (double outlier_sd : {5.0, 1.0}) {
        settings.outlier_sd = outlier_sd;
        try {
            const statistics_t statistics = compute_statistics(gathered, settings, nullptr);
            check(statistics);
            check_groups(gathered, statistics);
        } catch (const stats_error &) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(bytes), size);
    build(text);
    for (const side_chain_group_t &group : side_chain_groups_of_text(text))
        if (group.amino_acid < 0 || group.amino_acid >= 20 || group.atoms.empty() || !(group.unassigned_pct >= 0.0) ||
            !(group.unassigned_pct <= 100.0))
            abort();
    try {
        for (const auto &[key, moments] : read_archive_means(text))
            if (!(moments.sd > 0) || !std::isfinite(moments.mean) || key.size() < 5) abort();
    } catch (const format_error &error) {
        if (error.line < 0) abort();
    }
    return 0;
}
