// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-stats: reads every entry and computes everything before anything is
// written, so that a failed run leaves standard output empty and the atom
// selection file untouched.
#include "stats/stats_run.h"

#include <cstdio>

#include "formats/atom_selection.h"
#include "formats/file_text.h"
#include "formats/format_error.h"
#include "formats/shift_table.h"
#include "formats/spin_systems.h"
#include "input/failure.h"
#include "input/records.h"
#include "output/output_file.h"
#include "stats/archive_means.h"
#include "stats/statistics.h"
#include "stats/stats_writer.h"

namespace {

std::string shown_name(const std::string &name) { return name == "-" ? "standard input" : name; }

std::string base_name(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// kestrin takes each amino acid's H atoms first, then its C atoms, then its N
// atoms; a selection in another order would describe the wrong atoms.
void check_nucleus_order(const atom_selection_t &selection) {
    auto rank = [](char nucleus) { return nucleus == 'H' ? 0 : nucleus == 'C' ? 1 : nucleus == 'N' ? 2 : 3; };
    for (int a = 0; a < 20; a++) {
        int last = 0;
        for (const selected_atom_t &atom : selection.atoms[a]) {
            if (rank(atom.nucleus) == 3)
                throw format_error(0, std::string(AA3[a]) + " " + quoted_for_message(atom.name) +
                                          " has the nucleus '" + quoted_for_message(std::string(1, atom.nucleus)) +
                                          "' (H, C or N expected)");
            if (rank(atom.nucleus) < last)
                throw format_error(0, std::string(AA3[a]) + " lists " + quoted_for_message(atom.name) +
                                          " after atoms of a later nucleus (H atoms first, then C, then N)");
            last = rank(atom.nucleus);
        }
    }
}

// One line naming what was left out of the entries, and why; empty when
// nothing was.
std::string left_out_summary(const left_out_t &out) {
    const struct {
        long count;
        const char *one, *many;
    } counts[] = {
        {out.null_identifier_rows, "row", "rows"},
        {out.neighbour_rows, "row", "rows"},
        {out.uncertain_rows, "row", "rows"},
        {out.other_residue_rows, "row", "rows"},
        {out.missing_value_rows, "row", "rows"},
        {out.other_nucleus_rows, "row", "rows"},
        {out.unknown_atom_rows, "row", "rows"},
        {out.contradicting_rows, "row", "rows"},
        {out.out_of_range_rows, "row", "rows"},
        {out.conflicting_shifts, "repeated atom", "repeated atoms"},
    };
    static const char *const reasons[] = {
        "with a null chain, sequence code or atom name",
        "of a neighbouring residue",
        "with an uncertain assignment",
        "of residues that are not one of the 20 amino acids",
        "without a value",
        "of other nuclei or isotopes",
        "naming no atom of the amino acid",
        "whose nucleus contradicts the atom name",
        "whose shift is outside the range of its nucleus",
        "with another shift (the first is kept)",
    };
    std::string text;
    for (std::size_t i = 0; i < std::size(counts); i++)
        if (counts[i].count > 0)
            text += (text.empty() ? "" : ", ") + std::to_string(counts[i].count) + " " +
                    (counts[i].count == 1 ? counts[i].one : counts[i].many) + " " + reasons[i];
    return text.empty() ? text : "kestrin-stats: left out of the entries: " + text + "\n";
}

void add_left_out(left_out_t &total, const left_out_t &out) {
    total.null_identifier_rows += out.null_identifier_rows;
    total.out_of_range_rows += out.out_of_range_rows;
    total.neighbour_rows += out.neighbour_rows;
    total.uncertain_rows += out.uncertain_rows;
    total.other_residue_rows += out.other_residue_rows;
    total.missing_value_rows += out.missing_value_rows;
    total.other_nucleus_rows += out.other_nucleus_rows;
    total.unknown_atom_rows += out.unknown_atom_rows;
    total.contradicting_rows += out.contradicting_rows;
    total.conflicting_shifts += out.conflicting_shifts;
}

std::string run_summary(const statistics_t &statistics, const left_out_t &left_out) {
    long atoms = 0, outliers = 0;
    std::string raised;
    for (const amino_acid_statistics_t &block : statistics.amino_acids) {
        atoms += static_cast<long>(block.atoms.size());
        for (const described_atom_t &atom : block.atoms) outliers += atom.moments.outliers;
        if (block.floor_raised) raised += (raised.empty() ? "" : ", ") + std::string(AA3[block.amino_acid]);
    }
    std::string text = "kestrin-stats: " + std::to_string(statistics.entries) + " entries, " +
                       std::to_string(statistics.residues) + " residues; described " + std::to_string(atoms) +
                       " atoms of " + std::to_string(statistics.amino_acids.size()) + " amino acids; " +
                       std::to_string(outliers) + " shifts left out as outliers\n";
    if (!raised.empty()) text += "kestrin-stats: correlations raised to the eigenvalue floor: " + raised + "\n";
    return text + left_out_summary(left_out);
}

// What the atoms are: "backbone atoms", "full atoms", "atoms of atoms_full.txt".
std::string atoms_described(const stats_options_t &options) {
    if (options.atoms_file) return "atoms of " + base_name(*options.atoms_file);
    return options.backbone ? "backbone atoms" : "full atoms";
}

// The first header line: what the statistics were built from, and how.
std::string statistics_title(const stats_options_t &options, const statistics_t &statistics) {
    const std::string source = std::to_string(statistics.entries) + " entries (" +
                               std::to_string(statistics.residues) + " residues)";
    char rules[160];
    snprintf(rules, sizeof rules, "kestrin-stats " KESTRIN_VERSION ", outliers beyond %g sd left out",
             options.outlier_sd);
    std::string title = "kestrin statistics (" + atoms_described(options) + ")";
    title += options.means_file ? ": mean/sd from " + base_name(*options.means_file) +
                                      ", correlations and missing rates from " + source
                                : " from " + source;
    title += std::string("; ") + rules;
    if (options.structure_class)
        title += std::string(", only residues of class ") + structure_class_key(*options.structure_class) +
                 " by the chemical-shift index (an atom with fewer than 20 shifts in it: mean and sd of every class)";
    if (options.pool_missing) title += ", missing rates of H, HA, C, CA, CB and N over every type together";
    if (options.side_chain_groups) title += ", side chains unassigned as a whole counted";
    if (!options.atoms_file) title += ", atoms with at least " + std::to_string(options.min_observations) + " shifts";
    return title;
}

// The comment line of the atom selection file.
std::string selection_description(const stats_options_t &options, const statistics_t &statistics) {
    const std::size_t types = statistics.amino_acids.size();
    return (options.atoms_file ? "atom selection of " + base_name(*options.atoms_file)
                               : options.backbone ? "backbone atom selection" : "full atom selection") +
           (types == 20 ? "; all 20 amino acids" : "; " + std::to_string(types) + " amino acids") +
           "; H, then C, then N";
}

// The spin systems of an entry whose class is the one asked for.
std::vector<spin_system_t> of_class(const std::vector<spin_system_t> &systems, const class_reference_t &reference,
                                    structure_class_t wanted) {
    const std::vector<std::optional<structure_class_t>> classes = residue_classes(systems, reference);
    std::vector<spin_system_t> kept;
    for (std::size_t s = 0; s < systems.size(); s++)
        if (classes[s] == wanted) kept.push_back(systems[s]);
    return kept;
}

int build(const stats_options_t &options) {
    // Opened first, so that an unwritable path fails before any work is done;
    // the statistics go to standard output only once the selection is written.
    output_set_t outputs;
    output_file_t &statistics_out = outputs.add_standard_output();
    output_file_t *atoms_out = options.atoms_out ? &outputs.add(*options.atoms_out, "--atoms-out") : nullptr;

    std::string current;
    try {
        atom_selection_t selection;
        stats_settings_t settings;
        settings.backbone = options.backbone;
        settings.min_observations = options.min_observations;
        settings.outlier_sd = options.outlier_sd;
        if (options.atoms_file) {
            current = *options.atoms_file;
            selection = read_atom_selection(read_file_text(current));
            check_nucleus_order(selection);
            settings.selection = &selection;
        }
        reference_means_t reference;
        if (options.means_file) {
            current = *options.means_file;
            reference = read_archive_means(read_file_text(current));
        }

        std::vector<std::string> entries;
        for (const std::string &argument : options.inputs) {
            if (argument.size() < 2 || argument[0] != '@') {
                entries.push_back(argument);
                continue;
            }
            current = argument.substr(1);
            const std::vector<std::string> listed = list_entry_names(read_file_text(current));
            if (listed.empty()) throw format_error(0, "the list names no entry");
            entries.insert(entries.end(), listed.begin(), listed.end());
        }
        // Every entry is read before any is gathered: a class's residues are
        // told by the reference shifts of all the entries.
        std::vector<std::vector<spin_system_t>> entry_systems;
        left_out_t left_out;
        class_reference_builder_t reference_shifts;
        for (const std::string &entry : entries) {
            current = shown_name(entry);
            const shift_file_t file = read_shift_file(read_file_text(entry));
            const std::optional<std::size_t> list = first_protein_list(file);
            if (!list) throw format_error(0, "no shift list holds any of the 20 amino acids");
            spin_grouping_t grouping = group_spin_systems(file.lists[*list], file.format);
            add_left_out(left_out, grouping.left_out);
            if (options.structure_class) reference_shifts.add(grouping.systems);
            entry_systems.push_back(std::move(grouping.systems));
        }
        gathered_shifts_t gathered, pooled;
        const class_reference_t class_reference = reference_shifts.reference();
        if (options.structure_class) {
            for (const std::vector<spin_system_t> &systems : entry_systems) gather_entry(pooled, systems, settings);
            settings.pooled = &pooled;
        }
        for (std::size_t e = 0; e < entries.size(); e++) {
            current = shown_name(entries[e]);
            gather_entry(gathered, options.structure_class
                                       ? of_class(entry_systems[e], class_reference, *options.structure_class)
                                       : entry_systems[e],
                         settings);
        }
        current.clear();

        statistics_t statistics = compute_statistics(gathered, settings, options.means_file ? &reference : nullptr);
        if (options.pool_missing) pool_backbone_missing_rates(statistics);
        const std::string title = quoted_for_message(statistics_title(options, statistics));
        const std::vector<side_chain_group_t> groups =
            options.side_chain_groups ? count_side_chain_groups(gathered, statistics) : std::vector<side_chain_group_t>();
        statistics_out.write(statistics_text(statistics, title, groups));
        if (atoms_out) {
            const std::string description = quoted_for_message(selection_description(options, statistics));
            atoms_out->write(atom_selection_text(statistics, description));
        }
        outputs.commit();
        fputs(run_summary(statistics, left_out).c_str(), stderr);
        return 0;
    } catch (const format_error &error) {
        fputs(format_error_message(current, error).c_str(), stderr);
        return 1;
    } catch (const stats_error &error) {
        fprintf(stderr, "Error: %s\n", error.what());
        return 1;
    }
}

}  // namespace

std::vector<std::string> list_entry_names(const std::string &text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        names.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
    }
    return names;
}

int kestrin_stats_main(int argc, char **argv) {
    try {
        keep_standard_descriptors_open();
        return build(parse_stats_options(argc, argv));
    } catch (const run_ended &end) {
        return end.status;
    } catch (const std::bad_alloc &) {
        return report_memory_exhausted("Error: unable to allocate memory");
    }
}
