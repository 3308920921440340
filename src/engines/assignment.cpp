// SPDX-License-Identifier: GPL-3.0-or-later
// Least-cost assignment of rows to distinct columns (the Hungarian method).
#include "engines/assignment.h"

#include <algorithm>
#include <cmath>

// Least total cost of giving each row a distinct column (rows <= columns),
// by the Hungarian method with potentials; cost is rows × columns, row-major,
// every entry finite and not negative.
double least_assignment_cost(const std::vector<double> &cost, int rows, int columns) {
    std::vector<double> u(rows + 1, 0.0), v(columns + 1, 0.0), least(columns + 1);
    std::vector<int> owner(columns + 1, 0), previous(columns + 1, 0);
    std::vector<char> done(columns + 1);
    for (int i = 1; i <= rows; i++) {
        owner[0] = i;
        int free_column = 0;
        std::fill(least.begin(), least.end(), HUGE_VAL);
        std::fill(done.begin(), done.end(), 0);
        do {
            done[free_column] = 1;
            const int row = owner[free_column];
            double delta = HUGE_VAL;
            int next = 0;
            for (int j = 1; j <= columns; j++) {
                if (done[j]) continue;
                const double reduced = cost[(row - 1) * columns + (j - 1)] - u[row] - v[j];
                if (reduced < least[j]) {
                    least[j] = reduced;
                    previous[j] = free_column;
                }
                if (least[j] < delta) {
                    delta = least[j];
                    next = j;
                }
            }
            for (int j = 0; j <= columns; j++) {
                if (done[j]) {
                    u[owner[j]] += delta;
                    v[j] -= delta;
                } else {
                    least[j] -= delta;
                }
            }
            if (next == 0) return 0.0;  // not a number among the costs: 0 still bounds a sum of squares
            free_column = next;
        } while (owner[free_column] != 0);
        do {
            const int column = previous[free_column];
            owner[free_column] = owner[column];
            free_column = column;
        } while (free_column != 0);
    }
    return -v[0];
}

