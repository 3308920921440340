// SPDX-License-Identifier: GPL-3.0-or-later
// Least-cost assignment of rows to distinct columns (the Hungarian method).
//
// Rows and columns are numbered from 1; column 0 is a scratch column that
// holds the row being added. The method keeps potentials u (per row) and v
// (per column) with these invariants, for every row already added and every
// column j:
//   - reduced costs are never negative: cost(i, j) - u[i] - v[j] >= 0;
//   - a row and the column it owns have reduced cost 0 (the matching is
//     tight);
//   - v[j] never grows (each step only subtracts delta >= 0 from it), so
//     v[j] <= 0.
// Adding row i grows a tree of tight edges from it (Dijkstra on reduced
// costs: least[j] is the least reduced cost that reaches column j, previous
// the column it is reached from), raising u and lowering v by delta so that
// the invariants hold, until a free column is reached; the owners are then
// moved along the path. Why the result is the least cost: for any
// assignment σ of the rows to distinct columns, by the first invariant
//     Σ_i cost(i, σ(i)) >= Σ_i u[i] + Σ_i v[σ(i)],
// with equality for the final matching, which is tight; each step adds
// delta to the u of every row in the tree and takes it from the v of the
// columns they own, so the scratch column, which takes part in every step,
// ends with -v[0] equal to that matching's cost. (In exact arithmetic; the
// walk uses the result only to order the nuclei, where rounding does no harm.)
#include "engines/least_cost_assignment.h"

#include <algorithm>
#include <cmath>

namespace {

// The method itself: owner[j] is the row (from 1) that column j (from 1)
// ends with, 0 for none; false when a cost is not a number.
bool hungarian(const std::vector<double> &cost, int rows, int columns, std::vector<int> &owner, double &total) {
    std::vector<double> u(rows + 1, 0.0), v(columns + 1, 0.0), least(columns + 1);
    owner.assign(columns + 1, 0);
    std::vector<int> previous(columns + 1, 0);
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
            if (next == 0) return false;
            free_column = next;
        } while (owner[free_column] != 0);
        do {
            const int column = previous[free_column];
            owner[free_column] = owner[column];
            free_column = column;
        } while (free_column != 0);
    }
    total = -v[0];
    return true;
}

}  // namespace

double least_cost_assignment(const std::vector<double> &cost, int rows, int columns) {
    std::vector<int> owner;
    double total = 0.0;
    // Not a number among the costs: 0 still bounds a sum of squares.
    return hungarian(cost, rows, columns, owner, total) ? total : 0.0;
}

std::vector<int> least_cost_columns(const std::vector<double> &cost, int rows, int columns) {
    for (double c : cost)
        if (!std::isfinite(c)) return {};
    std::vector<int> owner;
    double total = 0.0;
    if (!hungarian(cost, rows, columns, owner, total)) return {};
    std::vector<int> column(rows, -1);
    for (int j = 1; j <= columns; j++)
        if (owner[j] > 0) column[owner[j] - 1] = j - 1;
    return column;
}

