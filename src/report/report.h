// SPDX-License-Identifier: GPL-3.0-or-later
// The ranked report printed after each model pass.
#pragma once

#include "input/records.h"

// Prints, for every spin system, its prediction line or its class block.
void print_probas(const data_t &data);

// Fills index[0..type_num-1] with the type indices ranked by score, best
// first, equal scores in the order the report prints them.
void rank_types(const double *scores, int type_num, int *index);

// The sum of a spin system's scores in type order: the total that its
// shares are taken of.
double score_total(const value_data_t &v, int type_num);

// A total that is zero or not a number gives no shares; the report then
// divides by 1.
inline bool divides_into_shares(double total) { return total < 0.0 || total > 0.0; }

// Sorts index[left..right] by values[index[...]], largest first. The order
// of equal values is part of the report and must not change.
void dQsort_dec(const double *values, int *index, int left, int right);

// The same, smallest first.
void dQsort_inc(const double *values, int *index, int left, int right);

void swap(int *index, int i, int j);
