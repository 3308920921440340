// SPDX-License-Identifier: GPL-3.0-or-later
// Writing STAR text, and chemical-shift lists as NEF files: every value quoted
// as the grammar needs, so that the STAR reader reads back what was written.
#pragma once

#include <string>
#include <vector>

#include "formats/shift_table.h"
#include "formats/star.h"

// The STAR null, written bare: "." (inapplicable) unless `unknown`, then "?".
star_value_t star_null(bool unknown = false);

// A literal value, read back as its text even when that is "." or "?".
star_value_t star_text(const std::string &text);

// The value as STAR writes it: bare when the grammar allows (no blank, no
// leading quote, '_', '#', ';', '[' or ']', not a keyword such as
// loop_ or data_x, not a null unless it is one), else between single or
// double quotes when no such quote followed by a blank is inside and it
// holds no line feed, else as a text field (";" at the start of a line, the
// text, a line feed and ";"). A text holding a line feed followed by ";"
// cannot be written in STAR and throws format_error.
std::string star_value_text(const star_value_t &value);

// "   _tag  value\n", the value as above; a text field starts on its own line.
std::string star_item_text(const std::string &tag, const star_value_t &value, const std::string &indent = "   ");

// A loop: "loop_", one tag per line, one line per row (values separated by
// two blanks; a text field breaks the row over lines), "stop_". A row of
// another length than the tags throws format_error.
std::string star_loop_text(const std::vector<std::string> &tags, const std::vector<std::vector<star_value_t>> &rows,
                           const std::string &indent = "   ");

// The program that writes a NEF file, for its metadata frame.
struct nef_program_t {
    std::string name;     // "kestrin-assign"
    std::string version;  // "1.0.1"
};

// A NEF file of the given shift lists: "data_NAME", the nef_nmr_meta_data
// frame, then one nef_chemical_shift_list frame per list, named as the list
// when its name begins with nef_chemical_shift_list_, else
// nef_chemical_shift_list_ and its name (its number from 1 when it has
// none), with the columns chain_code, sequence_code,
// residue_name, atom_name, value, element and isotope_number. An empty field
// and a residue name "." are written as the null "." (an empty residue name
// as "?"); every other field as its text, so a row the reader marks
// null_identifier is written as one. read_shift_file reads the rows back as they were. A data block
// or list name that is empty or holds a blank throws format_error.
std::string nef_shift_lists_text(const std::string &data_name, const nef_program_t &program,
                                 const std::vector<shift_list_t> &lists);
