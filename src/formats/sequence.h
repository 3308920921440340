// SPDX-License-Identifier: GPL-3.0-or-later
// The sequence of the molecule whose shifts a file holds: read from the
// file itself (NEF, NMR-STAR 3 and 2.1, TALOS tables) or from a sequence
// file (FASTA, or one-letter text).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/shift_table.h"

struct sequence_residue_t {
    std::string chain;          // chain as the shift list names it (NEF chain_code, NMR-STAR
                                // Entity_assembly_ID); empty where the source names none
    std::string sequence_code;  // residue number or NEF sequence code as written; empty where the source
                                // gives none (FASTA, one-letter text)
    std::string residue_name;   // as written ("HIS", "H", "DA")
    int amino_acid = -1;        // index in AA3; -1 for anything else (nucleotides, ligands, X)
};

struct sequence_t {
    std::vector<sequence_residue_t> residues;  // chain after chain, each in sequence order
    std::string source;                        // where it was read: "_nef_sequence", "_Entity_comp_index",
                                               // "_Entity_poly_seq", "_Mol_residue_sequence", "DATA SEQUENCE",
                                               // "FASTA", "one-letter text"
};

// The sequence the shift file holds for the chains of the given list, or
// none when it holds no sequence (Sparky lists never do). NEF: the
// _nef_sequence rows of the chains the list's rows name, or of every chain
// when the list names none of them (a list of unassigned spin systems).
// NMR-STAR 3: _Entity_comp_index (else _Entity_poly_seq) of the entity of
// each entity assembly the list's rows name (every assembly when they name
// none). NMR-STAR 2.1: the one-letter _Mol_residue_sequence of each
// monomeric polymer of class protein, numbered by its residue loop when
// that loop has one row per letter. TALOS: the DATA SEQUENCE lines,
// numbered from DATA FIRST_RESID (1 without it). A sequence block that
// cannot be read throws format_error.
std::optional<sequence_t> read_file_sequence(const std::string &text, shift_format_t format,
                                             const shift_list_t &list);

// A sequence file: FASTA (records after '>' header lines, all of them
// taken) or one-letter text. Letters are read without regard to case;
// blanks, digits and a final '*' are skipped; B, J, O, U, X and Z are
// residues of no known type. Any other character, or a text without a
// residue, throws format_error.
sequence_t read_sequence_text(const std::string &text);

// The amino acid of a one-letter code, read without regard to case; -1 for
// any other letter.
int amino_acid_of_letter(char letter);
