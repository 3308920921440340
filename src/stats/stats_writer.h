// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics file and the atom selection file, in the forms kestrin reads
// (docs/formats.md, "Statistics" and "Atom selection").
#pragma once

#include <string>

#include <vector>

#include "groups/side_chain_groups.h"
#include "stats/statistics.h"

// "# " and the title (what the file was built from), the column line, one
// line per atom ("%s %s %s %d %.3f %.3f %.4f %.4f %d %.2f": code, atom,
// nucleus, n_obs, min, max, mean, sd, n_res, miss_pct), then one block
// <cov res="ALA" dim="6"> per amino acid with its rows printed "%.6f".
// The side-chain groups, where given, follow the column line as comment
// lines (groups/side_chain_groups.h), which kestrin skips.
std::string statistics_text(const statistics_t &statistics, const std::string &title,
                            const std::vector<side_chain_group_t> &groups = {});

// The column comments and "# " with the description, then the atoms one per
// line (code, name and nucleus in columns of 9), a blank line before each
// amino acid.
std::string atom_selection_text(const statistics_t &statistics, const std::string &description);
