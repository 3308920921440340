// SPDX-License-Identifier: GPL-3.0-or-later
// Means and standard deviations from a BMRB-style table of archive-wide
// chemical-shift statistics (comp_id,atom_id,count,min,max,avg,std).
#pragma once

#include <string>

#include "stats/statistics.h"

// Reads the table: a header line that names at least the columns comp_id,
// atom_id, avg and std, then one comma-separated line per amino acid and
// atom. Methyl pseudo-atoms take the name of their group as kestrin writes
// it (ALA MB is HB, ILE MG and MD are HG2 and HD1, LEU MD1 and MD2 are HD1
// and HD2, MET ME is HE, THR MG is HG2, VAL MG1 and MG2 are HG1 and HG2).
// Rows of other residues are passed over; of a repeated atom the first row
// counts. A missing column, a line with another number of fields, an empty
// atom name, a mean that is not a number or a standard deviation that is not
// a positive number (either beyond largest_shift) throws format_error at its
// line.
reference_means_t read_archive_means(const std::string &text);
