// SPDX-License-Identifier: GPL-3.0-or-later
// Chemical-shift files as tables of rows: the formats spectroscopists write
// (NEF, NMR-STAR 3.x and 2.1, Sparky resonance lists, NMRPipe/TALOS tables),
// each read into the same rows, identifiers and values kept as written.
#pragma once

#include <optional>
#include <string>
#include <vector>

// kestrin: kestrin's own spin-system file (formats/kestrin_spins.h), which
// kestrin-assign recognises by its content; no --format names it.
enum class shift_format_t { nef, nmrstar, nmrstar2, sparky, talos, kestrin };

// "nef", "nmrstar", "nmrstar2", "sparky", "talos": the names of --format.
const char *shift_format_key(shift_format_t format);
std::optional<shift_format_t> shift_format_of_key(const std::string &key);
// "NEF", "NMR-STAR 3", "NMR-STAR 2.1", "Sparky resonance list", "NMRPipe/TALOS table",
// "kestrin spin-system file".
const char *shift_format_title(shift_format_t format);

struct shift_row_t {
    std::string chain;          // chain code (NEF chain_code, NMR-STAR Entity_assembly_ID); empty without one
    std::string sequence_code;  // residue number or NEF sequence code, as written ("12", "@13", "48-1")
    std::string residue_name;   // residue name as written ("ALA", "Ala", "A", "." for unassigned)
    std::string atom_name;      // atom name as written ("HB%", "QB", "HN", "HBx")
    std::string value;          // the shift as written, ppm ("8.970"); empty for a null value
    std::string element;        // element column (NEF element, NMR-STAR Atom_type, Sparky "1H" nucleus); empty if none
    std::string isotope;        // isotope mass number ("1", "13", "15", "2"); empty if none
    long line = 0;              // line of the file the row starts on
    bool null_identifier = false;  // a STAR null (unquoted "." or "?") stands for the chain, sequence code or
                                   // atom name, or "?" for the residue name: the row names no atom; those
                                   // fields are then empty
};

struct shift_list_t {
    std::string name;  // save-frame name without "save_"; empty for formats with a single table
    long line = 0;     // line where the list starts
    std::vector<shift_row_t> rows;
};

struct shift_file_t {
    shift_format_t format = shift_format_t::nef;
    std::vector<shift_list_t> lists;  // in file order; at least one
};

// Reads the text as the given format or, without one, as the format its
// content shows: a STAR file (data_ first) with NEF tags, with NMR-STAR 3
// tags (category.item) or with 2.1 tags; a table with a VARS line (TALOS); a
// Sparky list, with or without its header line. Content of no known format,
// a syntax fault, a shift table without one of the columns it needs, or a
// file without any shift table throws format_error.
shift_file_t read_shift_file(const std::string &text, std::optional<shift_format_t> format = std::nullopt);
