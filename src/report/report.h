// SPDX-License-Identifier: GPL-3.0-or-later
// The ranked report printed after each model pass.
#pragma once

#include "input/records.h"

// Prints, for every spin system, its prediction line or its class block.
void print_probas(const data_t &data);

// Sorts index[left..right] by values[index[...]], largest first. The order
// of equal values is part of the report and must not change.
void dQsort_dec(const double *values, int *index, int left, int right);

// The same, smallest first.
void dQsort_inc(const double *values, int *index, int left, int right);

void swap(int *index, int i, int j);
