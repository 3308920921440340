// SPDX-License-Identifier: GPL-3.0-or-later
// The table of every score: one tab-separated row per model run, spin system
// and selected type, for scripts and spreadsheets.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "input/records.h"

// The three-letter code of each selected type, by type index.
std::vector<std::string> selected_type_codes(const data_t &data);

// The table's first line, naming its columns.
void write_table_header(FILE *out);

// The rows of one model run ("cfpi", "cfpd", "cspi" or "cspd"): for every
// spin system, its types in the report's rank order.
void write_table_rows(FILE *out, const char *model, const data_t &data);
