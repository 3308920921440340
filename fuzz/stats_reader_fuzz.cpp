// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the statistics reader on arbitrary file contents, after a
// fixed selection of five backbone types.
#include <cstdlib>

#include "fuzz_support.h"
#include "input/readers.h"

namespace {

// Every array the engines index is atom_num long, and the nucleus counts
// never exceed the atoms they describe.
void check_statistics(const data_t &data) {
    for (int t = 0; t < data.type_num; t++) {
        const stat_data_t &s = data.sdata[t];
        const std::size_t m = s.atom_num;
        const bool sound = s.H_num >= 0 && s.C_num >= 0 && s.N_num >= 0 && s.H_num + s.C_num + s.N_num <= s.atom_num &&
                           s.mean.size() == m && s.std_dev.size() == m && s.miss.size() == m &&
                           s.atom_type.size() == m && s.cov.block.size() == m * m && s.cov.row.size() == m;
        if (!sound) {
            fprintf(stderr, "\nfinding: inconsistent statistics of type %d (atom_num %d, H %d, C %d, N %d)\n", t,
                    s.atom_num, s.H_num, s.C_num, s.N_num);
            abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    parameters_t params;
    params.input_atoms_fname = KESTRIN_E2E_INPUTS "/atoms5.txt";
    params.Corvane_fname = write_scratch_file("stats.txt", bytes, size);
    data_t data;
    const observed_run_t run = read_selection_and_stats(params, data);
    check_reader_run(run);
    if (run.status == -1) check_statistics(data);
    return 0;
}
