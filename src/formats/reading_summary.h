// SPDX-License-Identifier: GPL-3.0-or-later
// What the programs that read shift files say about a reading: the shift list
// they chose, and the summary of what was kept and left out.
#pragma once

#include <optional>
#include <string>

#include "formats/shift_table.h"
#include "formats/spin_systems.h"

// The list that a run reads: the one named (by save-frame name, by the
// NEF name without its "nef_chemical_shift_list_" prefix, or by its number
// from 1), else the first that holds protein residues; an unknown name
// throws format_error.
std::size_t choose_shift_list(const shift_file_t &file, const std::optional<std::string> &wanted);

// The words that differ between the programs that print the summary.
struct summary_words_t {
    const char *program;     // the name every line starts with
    const char *kept;        // the verb for the spin systems kept ("wrote")
    const char *empty_fate;  // what became of the spin systems without any shift ("not written")
};

// kestrin-spins' words: "kestrin-spins", "wrote", "not written".
extern const summary_words_t spins_summary_words;

// The summary on standard error: what was read, what was kept, and every
// count of what was left out and why.
std::string conversion_summary(const std::string &source, const shift_file_t &file, std::size_t list,
                               const spin_grouping_t &grouping, const summary_words_t &words = spins_summary_words);
