// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the atom selection reader on arbitrary file contents.
#include <cstdlib>

#include "fuzz_support.h"
#include "input/readers.h"

namespace {

// What the later readers and the engines index by: at most 20 types, each
// entry's type and position inside its type's atoms.
void check_selection(const data_t &data) {
    bool sound = data.type_num >= 1 && data.type_num <= 20 && data.sdata.size() == std::size_t(data.type_num) &&
                 data.key_num >= 1 && std::size_t(data.key_num) <= data.res_num.size();
    int atoms = 0;
    for (int t = 0; sound && t < data.type_num; t++) atoms += data.sdata[t].atom_num;
    sound = sound && atoms == data.key_num;
    for (int k = 0; sound && k < data.key_num; k++)
        sound = data.res_num[k] >= 0 && data.res_num[k] < data.type_num && data.cs_num[k] >= 0 &&
                data.cs_num[k] < data.sdata[data.res_num[k]].atom_num;
    if (!sound) {
        fprintf(stderr, "\nfinding: inconsistent selection (type_num %d, key_num %d)\n", data.type_num,
                data.key_num);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    parameters_t params;
    params.input_atoms_fname = write_scratch_file("atoms.txt", bytes, size);
    data_t data;
    const observed_run_t run = run_observed(
        [&] {
            read_cs_to_analyse(params, data);
            return -1;
        },
        true);
    check_reader_run(run);
    if (run.status == -1) check_selection(data);
    return 0;
}
