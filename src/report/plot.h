// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of a run: one heat map per model run, spin systems across and
// selected types down, each cell shaded by the type's share, as a standalone
// SVG file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "input/records.h"

struct heat_map_t {
    std::string model;           // "cfpi", "cfpd", "cspi" or "cspd"
    std::vector<double> scores;  // spin_num × type_num scores, by spin system, then type index
    std::vector<double> totals;  // each spin system's total score, as the report sums it
    std::vector<std::string> flags;  // per spin system, its flags (comma-separated; empty for none), shown
                                     // in its label's colour and tooltip; empty for no flags at all
};

struct plot_t {
    std::string program = "kestrin";  // the program every heading names
    std::string value_name = "share";  // what a cell shows: "share" of the total score, or "probability"
    std::string inputs;            // the run's inputs, as every heat map's title names them
    std::vector<heat_map_t> maps;  // one per model run, in the order the models ran
};

// Keeps the scores that the model run last left in data, for its heat map.
void add_heat_map(plot_t &plot, const char *model, const data_t &data);

// Writes the whole picture.
void write_plot(FILE *out, const plot_t &plot, const data_t &data);

// The text as XML character data: special characters escaped, tabs as
// blanks, and every byte that is not part of valid UTF-8 or is a control
// character replaced by '?', since names come from the input as they are.
std::string xml_text(const std::string &text);
