// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin's own spin-system file, as kestrin-spins writes it and kestrin
// reads it: <res type="ALA" name="2"> begins a spin system, </res> ends it,
// and each "  <cs type="H" n="2">" line is followed by a line of its n
// shifts. The shifts carry their nucleus only, never an atom name.
#pragma once

#include <string>

#include "formats/shift_table.h"

// True when the first line that is neither blank nor an XML comment
// begins with "<res ".
bool is_kestrin_spin_file(const std::string &text);

// The spin systems as rows of one shift list: the sequence code is the
// spin system's name (its ordinal, counted from 1, when it has none), the
// residue name its declared code when that is one of the 20 amino acids
// and "." otherwise, and each shift is named by its nucleus and its number
// within the spin system ("H_1", "C_3"), which names no atom and shows no
// kind. A repeated spin-system name, a nucleus other than H, C or N, a
// values line with fewer values than its count, a file that ends inside a
// spin system or holds none throw format_error.
shift_file_t read_kestrin_spin_file(const std::string &text);
