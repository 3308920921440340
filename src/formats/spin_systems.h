// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of shifts grouped into spin systems, one per residue, with every
// shift named once per atom, and the count of every row or shift left out.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "formats/atom_selection.h"
#include "formats/shift_table.h"

struct spin_shift_t {
    std::string atom;   // atom name after the name rules (a methyl by its group, "HB"); as written for unknown types
    char nucleus;       // 'H', 'C' or 'N'
    std::string value;  // the shift as the file wrote it, ppm ("8.970")
    double ppm;         // the same shift as a number, ppm
    long line;          // line of the row it came from
};

struct spin_system_t {
    std::string chain;          // chain code as written; empty for formats without chains
    std::string sequence_code;  // residue number or NEF sequence code as written
    std::string label;          // unique name, made by spin_system_label ("A.12", "#13.@13", "@13", "12")
    std::string residue_name;   // residue name as first written
    int amino_acid;             // index in AA3; -1 for an unassigned spin system (residue name ".")
    long line;                  // line of the first row whose shift is kept
    std::vector<spin_shift_t> shifts;  // H, then C, then N; within a nucleus in the amino acid's atom order
                                       // (the selection's order when one applies), in file order for
                                       // unassigned spin systems
    std::vector<spin_shift_t> previous;  // shifts the experiments saw for the residue before it (rows @13-1,
                                         // 48-1, CAi-1), names as for an unknown type with the offset taken
                                         // off ("CA", "CB"), in file order; a repeated atom keeps its first
};

// Spin systems that the file links into a stretch of consecutive residues
// (a NEF NmrChain of unassigned spin systems, "#13").
struct connected_stretch_t {
    std::string chain;                // the chain code as written ("#13")
    std::vector<std::string> labels;  // the spin systems' names, residue after residue as the file lists them
};

// What was left out, and why. Rows are counted once, under the first
// reason that applies, in this order; shifts are the atoms a kept row gives.
struct left_out_t {
    long null_identifier_rows = 0;  // rows with a STAR null as chain, sequence code or atom name (or "?" residue)
    long neighbour_rows = 0;      // rows of a neighbouring residue (@13-1, 48-1, CAi-1); those of the residue
                                  // before are kept with their spin system as its `previous` shifts
    long uncertain_rows = 0;      // assignments marked uncertain (HB2|HB3, H@349, 108?, GLN?)
    long other_residue_rows = 0;  // rows of residues that are not one of the 20 amino acids
    std::map<std::string, long> other_residues;  // those residue names, with their rows
    long missing_value_rows = 0;  // rows whose value is null ("." or "?")
    long other_nucleus_rows = 0;  // nuclei or isotopes other than 1H, 13C, 15N (2H, 31P, 113Cd)
    long unknown_atom_rows = 0;   // names that are no atom of their amino acid
    std::map<std::string, long> unknown_atoms;  // "LYS HZ": those names, with their rows
    long contradicting_rows = 0;  // element, isotope or atom type at odds with the atom name (PHE HE1 typed C)
    long out_of_range_rows = 0;   // shifts outside the range their nucleus can take (shift_range)
    long merged_shifts = 0;       // a repeated atom with the same value (methyl protons, wildcards)
    long conflicting_shifts = 0;  // a repeated atom with a different value; the first value is kept
    long unselected_shifts = 0;   // atoms that the atom selection does not list for their amino acid
    long empty_spin_systems = 0;  // spin systems left without any shift, not written
};

struct spin_grouping_t {
    std::vector<spin_system_t> systems;  // in the order of the first row of each whose shift is kept
    left_out_t left_out;
    std::vector<spin_system_t> empty_systems;  // those left without any shift (counted in left_out), in file
                                               // order, with their line and no shifts
    std::vector<std::size_t> empty_before;     // for each of them, how many of `systems` come first in file order
    std::map<std::string, std::vector<std::string>> out_of_range_values;  // by spin-system name: the shifts left
                                                                           // out as outside their nucleus's range,
                                                                           // "C=9999.0" (the value as written)
    std::map<std::string, std::vector<std::string>> conflicting_values;   // by spin-system name: the values left out
                                                                           // as a repeated atom's other value, "CA=54.20"
                                                                           // (atom name as kept, the value as written)
    std::vector<connected_stretch_t> connected;  // NEF: each chain whose code begins with '#' and whose spin
                                                 // systems are all unassigned, in file order
};

// The name of the spin system of a chain and sequence code, unique within a
// shift list and read back without doubt:
//   - the sequence code alone ("12") when the format has no chains (the chain
//     is empty and the format is not NEF), and for a NEF unassigned group of
//     the default chain "@-" ("@13"), provided the code holds no '.';
//   - otherwise the chain, then '.', then the sequence code as written
//     ("A.12", "#13.@13", "@-.12"), where a '.' or '\' within the chain is
//     written after a '\' (chain "A.1", code "2": "A\.1.2").
// A name holding a '.' outside such an escape is therefore split at its
// first one into chain and code; a name without any '.' is a code alone.
std::string spin_system_label(const std::string &chain, const std::string &sequence_code, shift_format_t format);

// The shifts a nucleus can take, ppm, generously: 1H -50 to 100, 13C -50 to
// 350, 15N -50 to 500. Every protein shift deposited lies within, nuclei that
// a paramagnetic centre shifts far included (protons near 80 ppm), so that
// only values that cannot be shifts of the nucleus fall outside: a table's
// placeholder (9999), a value in Hz, a shift of the wrong column.
struct shift_range_t {
    char nucleus;    // 'H', 'C' or 'N'
    double lowest;   // ppm
    double highest;  // ppm
};
const shift_range_t &shift_range(char nucleus);

// True when some row names one of the 20 amino acids or an unassigned
// spin system: the list describes protein residues.
bool lists_protein_residues(const shift_list_t &list, shift_format_t format);

// The first of the file's lists that describes protein residues; none when
// no list does.
std::optional<std::size_t> first_protein_list(const shift_file_t &file);

// Groups the list's rows into spin systems by chain and sequence code. With
// a selection, spin systems of a known amino acid keep only its selected
// atoms, in the selection's order. A value that is not a decimal number, or
// a residue named two ways in one spin system, throws format_error.
spin_grouping_t group_spin_systems(const shift_list_t &list, shift_format_t format,
                                   const atom_selection_t *selection = nullptr);

// True for a decimal number as shift tables write them: a sign, digits with
// at most one point, an exponent; finite. No "nan", "inf", hexadecimal or
// trailing text.
bool is_decimal_number(const std::string &text);
