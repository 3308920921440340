// SPDX-License-Identifier: GPL-3.0-or-later
// Least-cost assignment of rows to distinct columns (the linear assignment
// problem), by the Hungarian method with potentials.
#pragma once

#include <vector>

// Least total cost of giving each row a distinct column (rows <= columns);
// cost is rows × columns, row-major, every entry finite and not negative
// (else 0 is returned, still a lower bound of any such sum). The MVND walk
// orders the nuclei of a pair by it.
double least_cost_assignment(const std::vector<double> &cost, int rows, int columns);

// The same least-cost assignment, as the column given to each row (rows <=
// columns; costs finite, of any sign). Empty when a cost is not finite.
std::vector<int> least_cost_columns(const std::vector<double> &cost, int rows, int columns);
