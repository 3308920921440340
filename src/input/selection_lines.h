// SPDX-License-Identifier: GPL-3.0-or-later
// The one set of rules that decides what an atom selection file holds, used
// by kestrin's reader and by the companion programs' reader alike. The format
// is described in docs/formats.md ("Atom selection").
#pragma once

#include <string>
#include <vector>

struct selection_entry_t {
    std::string code;  // amino-acid code as written ("ALA")
    std::string name;  // atom name ("HB")
    std::string type;  // atom type word as written ("H"); its first character is the nucleus
    int type_index;    // the amino acid's number: its place among the codes in the order the file first names them
    int position;      // the atom's place within its amino acid, from 0
    long line;         // line of the file, counted from 1
};

enum class selection_fault_t {
    none,
    nothing_selected,  // no line of code, atom name and atom type
    unknown_residue,   // a code that is not one of the 20 three-letter codes
    repeated_block,    // a code that comes back after another code's lines
};

struct selection_lines_t {
    std::vector<selection_entry_t> entries;  // the distinct lines, in file order
    std::vector<std::string> codes;          // the selected amino acids by type_index
    int word_lines = 0;                      // lines of at least three words, repeats included
    selection_fault_t fault = selection_fault_t::none;
    long fault_line = 0;     // line of the fault; 0 for nothing_selected
    std::string fault_code;  // the code at fault
};

// Reads the lines (as read_lines splits a file: each with its line feed).
// A line that is empty, starts with '#' or holds fewer than three words is
// skipped; a line equal, word for word, to an earlier one is skipped (kestrin
// warns about it); an amino acid's lines must follow each other. Reading stops
// at the first fault.
selection_lines_t read_selection_lines(const std::vector<std::string> &lines);
