// SPDX-License-Identifier: GPL-3.0-or-later
// An atom selection file (kestrin's -af): which atoms of which amino acids
// take part, read by the same rules as kestrin reads it (docs/formats.md,
// "Atom selection").
#pragma once

#include <string>
#include <vector>

struct selected_atom_t {
    std::string name;  // atom name as the selection writes it ("HB", "HA2")
    char nucleus;      // first character of the atom type column ('H', 'C', 'N')
};

struct atom_selection_t {
    std::vector<std::vector<selected_atom_t>> atoms;  // per amino acid in AA3 order, in the file's order
    std::vector<bool> listed;                         // per amino acid: the file names it
    long repeated_lines = 0;                          // lines skipped as repeats of an earlier one
};

// Reads the selection by the rules kestrin reads it with (one set of rules,
// input/selection_lines.h): lines starting with '#' and lines of fewer than
// three words are skipped, as is a repeated line, wherever it comes; a code
// that is not one of the 20 amino acids, or one that comes back after another
// code with a new atom, throws format_error, as kestrin refuses such a file,
// and so does a file that selects nothing. Positions within an amino acid are
// kestrin's.
atom_selection_t read_atom_selection(const std::string &text);

// Position of the atom in the amino acid's selection, or -1.
int selected_position(const atom_selection_t &selection, int amino_acid, const std::string &name, char nucleus);
