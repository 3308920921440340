// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the spin-system reader on arbitrary standard input, after a
// fixed selection and statistics file.
#include <cstdlib>

#include "fuzz_support.h"
#include "input/readers.h"

namespace {

// The fixed selection and statistics, read once: the spin-system reader
// only reads the residue table and type_num that they leave.
const data_t &fixed_selection() {
    static const data_t fixed = [] {
        parameters_t params;
        params.input_atoms_fname = KESTRIN_E2E_INPUTS "/atoms5.txt";
        params.Corvane_fname = KESTRIN_E2E_INPUTS "/stats5.txt";
        data_t data;
        const observed_run_t run = read_selection_and_stats(params, data);
        if (run.status != -1) {
            fprintf(stderr, "fixed inputs rejected:\n%s", run.err.c_str());
            abort();
        }
        return data;
    }();
    return fixed;
}

// What the engines and the report index: each stored spin system's values
// match its counts, its proba has one entry per type, its type is in range;
// its declared code has three characters and its name stops at its quote.
void check_spin_systems(const data_t &data) {
    bool sound = data.spin_num >= 0 && std::size_t(data.spin_num) <= data.vdata.size();
    for (int s = 0; sound && s < data.spin_num; s++) {
        const value_data_t &v = data.vdata[s];
        sound = v.H_num >= 0 && v.C_num >= 0 && v.N_num >= 0 && v.H_val.size() == std::size_t(v.H_num) &&
                v.C_val.size() == std::size_t(v.C_num) && v.N_val.size() == std::size_t(v.N_num) &&
                v.total_num == v.H_num + v.C_num + v.N_num && v.proba.size() == std::size_t(data.type_num) &&
                v.res_type >= -1 && v.res_type < data.type_num && v.declared.size() == 3 &&
                v.name.find_first_of("\"\n") == std::string::npos;
        if (!sound) {
            fprintf(stderr, "\nfinding: inconsistent spin system %d\n", s + 1);
            abort();
        }
    }
    if (!sound) {
        fprintf(stderr, "\nfinding: spin_num %d with %zu records\n", data.spin_num, data.vdata.size());
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    const data_t &fixed = fixed_selection();
    data_t data;
    data.type_num = fixed.type_num;
    FILE *in = open_byte_stream(bytes, size);
    const observed_run_t run = run_observed(
        [&] {
            read_input_values(data, in);
            return -1;
        },
        true);
    fclose(in);
    check_reader_run(run);
    if (run.status == -1) check_spin_systems(data);
    return 0;
}
