// SPDX-License-Identifier: GPL-3.0-or-later
// Set-up and stepping of the three enumerators of a selected-permutation model.
#include "engines/select_walk.h"

bool set_up_select_walk(const value_data_t &v, const stat_data_t &s, select_walk_t &walk) {
    nuclei_of(v, s, walk.x);
    for (int k = 0; k < NUCLEI; k++) {
        const nucleus_t &x = walk.x[k];
        if (x.shifts > 0 && x.atoms == 0) return false;
        // A nucleus without shifts still gets one row, and one column if it has no atom.
        alloc_enum_data(walk.enumd[k], x.shifts > 0 ? x.shifts : 1, x.atoms > 0 ? x.atoms : 1);
        walk.allocated = k + 1;
        if (init_enum_data(walk.enumd[k], s.mean.data(), s.std_dev.data(), x.atoms, x.first, x.shifts, x.values) != 0)
            return false;
    }
    return true;
}

bool first_assignment(select_walk_t &walk, int k) {
    return select_enum_init_first(walk.enumd[k], walk.x[k].shifts, walk.x[k].atoms) == 0;
}

bool next_assignment(select_walk_t &walk, int k) { return select_enum_next(walk.enumd[k], walk.x[k].shifts) == 0; }
