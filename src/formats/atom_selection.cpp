// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an atom selection file for the foreign-format programs.
#include "formats/atom_selection.h"

#include <sstream>

#include "formats/format_error.h"
#include "input/records.h"

namespace {

int code_index(const std::string &code) {
    for (int a = 0; a < 20; a++)
        if (code == AA3[a]) return a;
    return -1;
}

}  // namespace

atom_selection_t read_atom_selection(const std::string &text) {
    atom_selection_t selection;
    selection.atoms.resize(20);
    selection.listed.assign(20, false);
    std::istringstream lines(text);
    std::string line;
    long number = 0;
    int open = -1;
    while (std::getline(lines, line)) {
        number++;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string code, name, type;
        if (!(words >> code >> name >> type)) continue;
        const int amino_acid = code_index(code);
        if (amino_acid < 0) throw format_error(number, "unknown residue '" + quoted_for_message(code) + "'");
        if (amino_acid != open && selection.listed[amino_acid])
            throw format_error(number, "residue '" + code + "' appears in more than one block");
        open = amino_acid;
        selection.listed[amino_acid] = true;
        if (selected_position(selection, amino_acid, name, type[0]) < 0)
            selection.atoms[amino_acid].push_back({name, type[0]});
    }
    if (open < 0) throw format_error(0, "no atom to select (no line of code, atom name and atom type)");
    return selection;
}

int selected_position(const atom_selection_t &selection, int amino_acid, const std::string &name, char nucleus) {
    const std::vector<selected_atom_t> &atoms = selection.atoms.at(amino_acid);
    for (std::size_t i = 0; i < atoms.size(); i++)
        if (atoms[i].name == name && atoms[i].nucleus == nucleus) return static_cast<int>(i);
    return -1;
}
