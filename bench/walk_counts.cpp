// SPDX-License-Identifier: GPL-3.0-or-later
// Counts the attachments that the -cfpd and -cspd walks score and skip over
// a whole input:
//
//   kestrin_walk_counts [--most N] -af atoms -sf stats < spins
//
// With --most, a model's count stops soon after it passes N (its line then
// says "more than N"), so that a walk that never skips ends at once.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver/kestrin.h"
#include "engines/engines.h"
#include "engines/factors.h"
#include "engines/row_walk.h"
#include "input/failure.h"

namespace {

void count(const data_t &data, const char *option, double most,
           double (*counted)(const value_data_t &, const stat_data_t &, walk_counts_t *, double)) {
    walk_counts_t total;
    for (int i = 0; i < data.spin_num && total.visited <= most; i++)
        for (int t = 0; t < data.type_num && total.visited <= most; t++) {
            if (fails_count_test(data.vdata[i], data.sdata[t])) continue;
            walk_counts_t counts;
            counted(data.vdata[i], data.sdata[t], &counts, most - total.visited);
            total.visited += counts.visited;
            total.skipped += counts.skipped;
        }
    if (total.visited > most)
        printf("%s: more than %.0f attachments scored\n", option, most);
    else
        printf("%s: %.0f attachments scored, %.3g skipped\n", option, total.visited, total.skipped);
}

}  // namespace

int main(int argc, char **argv) {
    double most = HUGE_VAL;
    std::vector<char *> args(argv, argv + argc);
    if (args.size() > 2 && strcmp(args[1], "--most") == 0) {
        most = strtod(args[2], nullptr);
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    try {
        parameters_t params;
        data_t data;
        read_run_inputs(static_cast<int>(args.size()), args.data(), params, data);
        count(data, "-cfpd", most, full_perm_dep_proba_counted);
        count(data, "-cspd", most, select_perm_dep_proba_counted);
        return 0;
    } catch (const run_ended &end) {
        return end.status;
    }
}
