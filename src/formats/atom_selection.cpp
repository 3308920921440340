// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an atom selection file for the foreign-format programs, by the
// rules kestrin's own reader applies (input/selection_lines.h).
#include "formats/atom_selection.h"

#include "formats/format_error.h"
#include "input/records.h"
#include "input/selection_lines.h"
#include "input/text_lines.h"

namespace {

int code_index(const std::string &code) {
    for (int a = 0; a < 20; a++)
        if (code == AA3[a]) return a;
    return -1;
}

}  // namespace

atom_selection_t read_atom_selection(const std::string &text) {
    const selection_lines_t read = read_selection_lines(split_lines(text));
    switch (read.fault) {
    case selection_fault_t::none: break;
    case selection_fault_t::nothing_selected:
        throw format_error(0, "no atom to select (no line of code, atom name and atom type)");
    case selection_fault_t::unknown_residue:
        throw format_error(read.fault_line, "unknown residue '" + quoted_for_message(read.fault_code) + "'");
    case selection_fault_t::repeated_block:
        throw format_error(read.fault_line, "residue '" + read.fault_code + "' appears in more than one block");
    }
    atom_selection_t selection;
    selection.atoms.resize(20);
    selection.listed.assign(20, false);
    for (const selection_entry_t &entry : read.entries) {
        const int amino_acid = code_index(entry.code);
        selection.listed[amino_acid] = true;
        selection.atoms[amino_acid].push_back({entry.name, entry.type[0]});
    }
    selection.repeated_lines = read.word_lines - static_cast<long>(read.entries.size());
    return selection;
}

int selected_position(const atom_selection_t &selection, int amino_acid, const std::string &name, char nucleus) {
    const std::vector<selected_atom_t> &atoms = selection.atoms.at(amino_acid);
    for (std::size_t i = 0; i < atoms.size(); i++)
        if (atoms[i].name == name && atoms[i].nucleus == nucleus) return static_cast<int>(i);
    return -1;
}
