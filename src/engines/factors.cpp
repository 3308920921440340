// SPDX-License-Identifier: GPL-3.0-or-later
// Nucleus blocks and missing-rate factors shared by the engines.
#include "engines/factors.h"

void nuclei_of(const value_data_t &v, const stat_data_t &s, nucleus_t nuclei[NUCLEI]) {
    nuclei[H_NUCLEUS] = {s.H_num, 0, v.H_num, v.H_val.data()};
    nuclei[C_NUCLEUS] = {s.C_num, s.H_num, v.C_num, v.C_val.data()};
    nuclei[N_NUCLEUS] = {s.N_num, s.H_num + s.C_num, v.N_num, v.N_val.data()};
}

double all_missing_proba(const value_data_t &v, const stat_data_t &s) {
    nucleus_t x[NUCLEI];
    nuclei_of(v, s, x);
    auto none = [](int) { return false; };
    return missing_rate_factor(s, x[H_NUCLEUS], none) * missing_rate_factor(s, x[C_NUCLEUS], none) *
           missing_rate_factor(s, x[N_NUCLEUS], none);
}

bool fails_count_test(const value_data_t &v, const stat_data_t &s) {
    return v.H_num > s.H_num || v.C_num > s.C_num || v.N_num > s.N_num;
}
