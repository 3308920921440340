// SPDX-License-Identifier: GPL-3.0-or-later
// The choice of shift list and the summary of a reading, shared by the
// programs that read shift files.
#include "formats/reading_summary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "formats/format_error.h"

namespace {

std::string list_title(const shift_file_t &file, std::size_t i) {
    const std::string &name = file.lists[i].name;
    return name.empty() ? "number " + std::to_string(i + 1) : "'" + quoted_for_message(name) + "'";
}

std::string plural(long count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "DT 120, DG 98" for the summary, the most frequent first.
std::string names_with_counts(const std::map<std::string, long> &counts) {
    std::vector<std::pair<std::string, long>> sorted(counts.begin(), counts.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    std::string text;
    for (std::size_t i = 0; i < sorted.size() && i < 8; i++)
        text += (i ? ", " : "") + quoted_for_message(sorted[i].first) + " " + std::to_string(sorted[i].second);
    if (sorted.size() > 8) text += ", " + std::to_string(sorted.size() - 8) + " more";
    return text;
}

// "1H -50 to 100, 13C -50 to 350, 15N -50 to 500 ppm".
std::string shift_ranges_text() {
    std::string text;
    for (const char *nucleus : {"1H", "13C", "15N"}) {
        const shift_range_t &range = shift_range(nucleus[std::strlen(nucleus) - 1]);
        char part[64];
        snprintf(part, sizeof part, "%s%s %g to %g", text.empty() ? "" : ", ", nucleus, range.lowest, range.highest);
        text += part;
    }
    return text + " ppm";
}

}  // namespace

const summary_words_t spins_summary_words = {"kestrin-spins", "wrote", "not written"};

std::size_t choose_shift_list(const shift_file_t &file, const std::optional<std::string> &wanted) {
    if (!wanted) return first_protein_list(file).value_or(0);
    for (std::size_t i = 0; i < file.lists.size(); i++) {
        const std::string &name = file.lists[i].name;
        if (!name.empty() && (name == *wanted || name == "nef_chemical_shift_list_" + *wanted)) return i;
    }
    if (!wanted->empty() && wanted->find_first_not_of("0123456789") == std::string::npos) {
        const unsigned long number = strtoul(wanted->c_str(), nullptr, 10);
        if (number >= 1 && number <= file.lists.size()) return number - 1;
    }
    std::string known;
    for (std::size_t i = 0; i < file.lists.size(); i++)
        known += (i ? ", " : "") + std::to_string(i + 1) + " " + list_title(file, i);
    throw format_error(0, "no shift list '" + quoted_for_message(*wanted) + "' (the file holds " + known + ")");
}

std::string conversion_summary(const std::string &source, const shift_file_t &file, std::size_t list,
                               const spin_grouping_t &grouping, const summary_words_t &words) {
    const std::string program = words.program;
    std::string text = program + ": read " + quoted_for_message(source) + " as " + shift_format_title(file.format);
    if (file.lists.size() > 1 || !file.lists[list].name.empty()) text += ", shift list " + list_title(file, list);
    if (file.lists.size() > 1) {
        text += " (" + std::to_string(list + 1) + " of " + std::to_string(file.lists.size()) + "; the others: ";
        bool first = true;
        for (std::size_t i = 0; i < file.lists.size(); i++)
            if (i != list) {
                text += (first ? "" : ", ") + list_title(file, i);
                first = false;
            }
        text += ")";
    }
    text += "\n";

    long counts[3] = {0, 0, 0};
    for (const spin_system_t &system : grouping.systems)
        for (const spin_shift_t &shift : system.shifts) counts[shift.nucleus == 'H' ? 0 : shift.nucleus == 'C' ? 1 : 2]++;
    text += program + ": " + words.kept + " " + plural(static_cast<long>(grouping.systems.size()), "spin system", "spin systems") +
            " with " + std::to_string(counts[0]) + " H, " + std::to_string(counts[1]) + " C and " +
            std::to_string(counts[2]) + " N shifts\n";

    const left_out_t &out = grouping.left_out;
    std::vector<std::string> lines;
    auto note = [&](long count, const std::string &what) {
        if (count > 0) lines.push_back("  " + std::to_string(count) + " " + what + "\n");
    };
    note(out.null_identifier_rows,
         (out.null_identifier_rows == 1 ? "row" : "rows") +
             std::string(" with a null (. or ?) as chain, sequence code or atom name, or ? as residue"));
    note(out.neighbour_rows, (out.neighbour_rows == 1 ? "row" : "rows") +
                                 std::string(" of a neighbouring residue (such as sequence code 12-1 or atom name CAi-1)"));
    note(out.uncertain_rows, (out.uncertain_rows == 1 ? "row" : "rows") +
                                 std::string(" with an uncertain assignment (such as HB2|HB3, H@12 or a trailing ?)"));
    note(out.other_residue_rows, (out.other_residue_rows == 1 ? "row" : "rows") +
                                     std::string(" of residues that are not one of the 20 amino acids: ") +
                                     names_with_counts(out.other_residues));
    note(out.missing_value_rows, out.missing_value_rows == 1 ? "row without a value" : "rows without a value");
    note(out.other_nucleus_rows, (out.other_nucleus_rows == 1 ? "row" : "rows") +
                                     std::string(" of nuclei or isotopes other than 1H, 13C and 15N"));
    note(out.unknown_atom_rows, (out.unknown_atom_rows == 1 ? "row" : "rows") +
                                    std::string(" naming no atom of the amino acid: ") +
                                    names_with_counts(out.unknown_atoms));
    note(out.contradicting_rows, (out.contradicting_rows == 1 ? "row" : "rows") +
                                     std::string(" whose nucleus contradicts the atom name"));
    note(out.out_of_range_rows, (out.out_of_range_rows == 1 ? "row" : "rows") +
                                    std::string(" whose shift is outside the range of its nucleus (") +
                                    shift_ranges_text() + ")");
    note(out.merged_shifts, (out.merged_shifts == 1 ? "repeat" : "repeats") +
                                std::string(" of an atom with the same shift, merged (methyl protons, wildcards)"));
    note(out.conflicting_shifts, (out.conflicting_shifts == 1 ? "repeat" : "repeats") +
                                     std::string(" of an atom with another shift (the first is kept)"));
    note(out.unselected_shifts, (out.unselected_shifts == 1 ? "shift" : "shifts") +
                                    std::string(" of atoms that the atom selection does not list"));
    note(out.empty_spin_systems, (out.empty_spin_systems == 1 ? "spin system" : "spin systems") +
                                     std::string(" left without any shift, ") + words.empty_fate);
    if (lines.empty()) return text + program + ": nothing left out\n";
    text += program + ": left out:\n";
    for (const std::string &line : lines) text += line;
    return text;
}
