// SPDX-License-Identifier: GPL-3.0-or-later
// Walk over the attachments of one nucleus for the full-permutation models:
// every choice of observed atoms (a GSL combination) and every order of the
// shifts over them (a GSL permutation).
#pragma once

#include <gsl/gsl_combination.h>
#include <gsl/gsl_permutation.h>

#include <memory>
#include <vector>

#include "reference/blocks.h"

namespace reference {

struct full_walk_t {
    block_t x;
    std::unique_ptr<gsl_permutation, decltype(&gsl_permutation_free)> perm{nullptr, gsl_permutation_free};
    std::vector<int> tag;  // 1 for each atom of the block chosen as observed
    std::unique_ptr<gsl_combination, decltype(&gsl_combination_free)> comb{nullptr, gsl_combination_free};
};

// The H, C and N walks of a pair, created in the order H, C, N (permutation,
// tags, combination each); allocation failures name `function`.
void make_full_walks(const value_data_t &v, const stat_data_t &s, full_walk_t walks[NUCLEI], const char *function);

// The first choice (atoms 0 .. k - 1), or the next one; false when done.
void first_choice(full_walk_t &w);
bool next_choice(full_walk_t &w);

// The first order (identity), or the next one; false when done.
void first_order(full_walk_t &w);
bool next_order(full_walk_t &w);

// Block index of the atom chosen i-th (choices are kept in increasing order).
inline int chosen_atom(const full_walk_t &w, int i) { return static_cast<int>(gsl_combination_get(w.comb.get(), i)); }

// Index of the shift placed i-th in the current order.
inline int ordered_shift(const full_walk_t &w, int i) { return static_cast<int>(gsl_permutation_get(w.perm.get(), i)); }

// Missing-rate factor of the current choice.
double choice_missing_rate(const stat_data_t &s, const full_walk_t &w);

}  // namespace reference
