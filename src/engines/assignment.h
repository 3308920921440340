// SPDX-License-Identifier: GPL-3.0-or-later
// Least-cost assignment of rows to distinct columns.
#pragma once

#include <vector>

// Least total cost of giving each row a distinct column (rows <= columns),
// by the Hungarian method with potentials; cost is rows × columns, row-major,
// every entry finite and not negative (else 0 is returned, still a lower
// bound of any such sum).
double least_assignment_cost(const std::vector<double> &cost, int rows, int columns);
