// SPDX-License-Identifier: GPL-3.0-or-later
// Work storage of the MVND models: the shift vector, the means and the
// covariance matrix of the atoms an assignment uses, row by row.
#pragma once

#include <vector>

#include "input/records.h"

namespace reference {

struct mvnd_work_t {
    int n = 0;                  // observed shifts: the order of the distribution
    std::vector<double> values; // shift of each row
    std::vector<double> means;  // mean of the atom assigned to each row
    matrix_t<double> cov;       // covariances between the rows' atoms
    matrix_t<double> inv_cov;   // inverse of cov
    std::vector<int> row_atom;  // type position of each row's atom
    double norm = 0.0;          // 0.5 × n × ln(2π)
};

// Allocates the work of order n >= 1; allocation failures name `function`.
void alloc_mvnd_work(mvnd_work_t &work, int n, const char *function);

// Gives rows first_row .. first_row + count - 1 the atoms at the given type
// positions: their means, the covariances among them (the element of the
// earlier row's atom first) and with every earlier row (the later row's atom
// first).
void place_rows(mvnd_work_t &work, const stat_data_t &s, int first_row, int count, const int *atoms);

// Half the signed log-determinant of cov; also inverts cov into inv_cov.
double factor_cov(mvnd_work_t &work);

// exp(-d/2 - norm - hl) for the quadratic form d of the current values; a
// negative d is taken as -d with -hl.
double mvnd_density(const mvnd_work_t &work, double hl);

}  // namespace reference
