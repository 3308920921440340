// SPDX-License-Identifier: GPL-3.0-or-later
// Enumerator of the selected assignments of one nucleus: each shift's
// plausible atoms, pruned of forced choices, then every assignment of the
// shifts to distinct candidates, one at a time.
#pragma once

#include "input/matrix.h"

struct enum_data_t {
    matrix_t<int> val;         // n × m: row i lists shift i's candidate atoms, increasing
    std::vector<int> max_val;  // candidates of each shift (first max_val[i] entries of row i)
    std::vector<int> pos;      // current position of each shift in its row, or -1
    std::vector<int> tag;      // shift held by each atom, or -1 when the atom is free
};

// Arrays for n shifts (rows) and m atoms (columns), all zero.
void alloc_enum_data(enum_data_t &enumd, int n, int m);

// Candidate lists of the n shifts over the m atoms of the block that starts
// at first_atom: 0 ready, 1 some shift has no candidate, 2 two shifts are
// left with the same single candidate.
int init_enum_data(enum_data_t &enumd, const double *mean, const double *std_dev, int m, int first_atom, int n,
                   const double *shifts);

// 0 when the first assignment is current, 1 when there is none.
int select_enum_init_first(enum_data_t &enumd, int n, int m);

// 0 when the next assignment is current, 1 when the enumeration is exhausted.
int select_enum_next(enum_data_t &enumd, int n);

void free_enum_data(enum_data_t &enumd);

// Writes pos and tag on standard output, for inspection.
void print_enum(const enum_data_t &enumd, int n, int m);
