// SPDX-License-Identifier: GPL-3.0-or-later
// The three enumerators of a selected-permutation model, set up for one
// (spin system, type) pair and released on every way out.
#pragma once

#include "engines/factors.h"
#include "engines/select_enum.h"

struct select_walk_t {
    nucleus_t x[NUCLEI];
    enum_data_t enumd[NUCLEI];
    int allocated = 0;  // enumerators allocated so far, H first

    select_walk_t() = default;
    select_walk_t(const select_walk_t &) = delete;
    select_walk_t &operator=(const select_walk_t &) = delete;
    ~select_walk_t() {
        for (int k = 0; k < allocated; k++) free_enum_data(enumd[k]);
    }
};

// Sets up the H, C and N enumerators with their candidate lists; false when
// the pair has no selected assignment (shifts of a nucleus the type lacks, a
// shift without candidate, or two shifts forced onto one atom).
bool set_up_select_walk(const value_data_t &v, const stat_data_t &s, select_walk_t &walk);

// Starts the nucleus' enumeration; false when it has no assignment.
bool first_assignment(select_walk_t &walk, int k);

// Moves to the nucleus' next assignment; false when exhausted.
bool next_assignment(select_walk_t &walk, int k);

// Type position of the atom that holds shift i of the nucleus.
inline int assigned_atom(const select_walk_t &walk, int k, int i) {
    const enum_data_t &e = walk.enumd[k];
    return walk.x[k].first + e.val[i][e.pos[i]];
}
