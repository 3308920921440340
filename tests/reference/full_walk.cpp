// SPDX-License-Identifier: GPL-3.0-or-later
// GSL combinations and permutations of one nucleus, with the tags of the chosen atoms.
#include "reference/full_walk.h"

#include <algorithm>

#include "input/failure.h"

namespace reference {

void make_full_walks(const value_data_t &v, const stat_data_t &s, full_walk_t walks[NUCLEI], const char *function) {
    static const char *const tag_names[NUCLEI] = {"H_tag", "C_tag", "N_tag"};
    block_t x[NUCLEI];
    blocks_of(v, s, x);
    for (int k = 0; k < NUCLEI; k++) {
        full_walk_t &w = walks[k];
        w.x = x[k];
        // A nucleus without shifts or atoms still runs its loops once.
        w.perm.reset(gsl_permutation_alloc(w.x.shifts > 0 ? w.x.shifts : 1));
        if (w.x.atoms >= 1) allocate_vector(w.tag, w.x.atoms, tag_names[k], __LINE__, function);
        w.comb.reset(gsl_combination_alloc(w.x.atoms > 0 ? w.x.atoms : 1, w.x.shifts));
    }
}

namespace {

void tag_chosen_atoms(full_walk_t &w) {
    std::fill(w.tag.begin(), w.tag.end(), 0);
    for (int i = 0; i < w.x.shifts; i++) w.tag[chosen_atom(w, i)] = 1;
}

}  // namespace

void first_choice(full_walk_t &w) {
    gsl_combination_init_first(w.comb.get());
    tag_chosen_atoms(w);
}

bool next_choice(full_walk_t &w) {
    if (gsl_combination_next(w.comb.get()) != GSL_SUCCESS) return false;
    tag_chosen_atoms(w);
    return true;
}

void first_order(full_walk_t &w) { gsl_permutation_init(w.perm.get()); }

bool next_order(full_walk_t &w) { return gsl_permutation_next(w.perm.get()) == GSL_SUCCESS; }

double choice_missing_rate(const stat_data_t &s, const full_walk_t &w) {
    return missing_rate(s, w.x, [&](int j) { return w.tag[j] == 1; });
}

}  // namespace reference
