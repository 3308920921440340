// SPDX-License-Identifier: GPL-3.0-or-later
// Counts the attachments that the full-permutation MVND walk scores and
// skips over a whole input: kestrin_walk_counts -af atoms -sf stats < spins
#include <cstdio>

#include "driver/kestrin.h"
#include "engines/engines.h"
#include "engines/factors.h"
#include "engines/row_walk.h"
#include "input/failure.h"

int main(int argc, char **argv) {
    try {
        parameters_t params;
        data_t data;
        read_run_inputs(argc, argv, params, data);
        walk_counts_t total;
        for (int i = 0; i < data.spin_num; i++)
            for (int t = 0; t < data.type_num; t++) {
                if (fails_count_test(data.vdata[i], data.sdata[t])) continue;
                walk_counts_t counts;
                full_perm_dep_proba_counted(data.vdata[i], data.sdata[t], &counts);
                total.visited += counts.visited;
                total.skipped += counts.skipped;
            }
        printf("%.3g attachments scored, %.3g skipped\n", total.visited, total.skipped);
        return 0;
    } catch (const run_ended &end) {
        return end.status;
    }
}
