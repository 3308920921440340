// SPDX-License-Identifier: GPL-3.0-or-later
// The atoms of the 20 amino acids and the rules that turn the names files
// use (HN, pseudo-atoms, wildcards, x/y partners, methyl protons) into them,
// so that each shift is given once per atom.
#pragma once

#include <string>
#include <vector>

struct residue_atom_t {
    std::string name;  // IUPAC name; a methyl group by the common name of its three protons (ALA "HB")
    char nucleus;      // 'H', 'C' or 'N'
    bool methyl;       // a methyl group: protons NAME1, NAME2, NAME3 with one shift
};

// Index of the amino acid in the order of AA3 (ALA ARG ASP ... VAL), matched
// without regard to case; one-letter codes too when asked (the tables that
// write them). -1 for any other name.
int amino_acid_of_name(const std::string &name, bool one_letter_codes);

// The amino acid's H, C and N atoms: H first, then C, then N, each backbone
// first and then by the side chain's Greek letters and numbers.
const std::vector<residue_atom_t> &amino_acid_atoms(int amino_acid);

// Positions in amino_acid_atoms of the atoms that the name stands for, in
// that order; empty when it names none of them. The rules, in order:
// HN is H; ILE CD and HD are CD1 and HD1; QQ<rest> and Q<rest> are
// H<rest>%; M<rest> is the methyl (or methyls) under H<rest>; a trailing x or
// y (before a wildcard) is the lowest or second-lowest number that the
// amino acid's atoms of that prefix carry; a trailing %, # or * stands for
// every atom of the prefix followed by digits (for a methyl, its protons),
// or for the prefix itself when that is an atom and nothing else matches;
// a methyl proton (ALA HB1) is its methyl group.
std::vector<int> atoms_of_name(int amino_acid, const std::string &name);

// The name for a residue of unknown type, where no amino acid's atoms can
// apply: HN is H, and Q<rest>, QQ<rest>, M<rest> are H<rest>%.
std::string unknown_residue_atom_name(const std::string &name);

// Assignment marked uncertain: an atom name holding '|' (HB2|HB3) or '@'
// (an anonymous resonance, H@349), or any identifier ending in '?'.
bool is_uncertain_atom_name(const std::string &name);
bool is_uncertain_identifier(const std::string &identifier);

// Rows that describe a neighbouring residue: a sequence code with an offset
// (@13-1, 48-1, 12+1) or an atom name such as CAi-1.
bool is_neighbour_sequence_code(const std::string &code);
bool is_neighbour_atom_name(const std::string &name);
