// SPDX-License-Identifier: GPL-3.0-or-later
// Nucleus blocks, missing-rate factors and the model pass shared by the engines.
#include "engines/factors.h"

#include "engines/engines.h"

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

void calculate_probas(data_t &data, double (*proba)(const value_data_t &, const stat_data_t &),
                      const pass_progress_t &progress) {
    for (int i = 0; i < data.spin_num; i++) {
        value_data_t &v = data.vdata[i];
        for (int t = 0; t < data.type_num; t++)
            v.proba[t] = fails_count_test(v, data.sdata[t]) ? 0.0 : proba(v, data.sdata[t]);
        if (progress.report != nullptr) progress.report(progress.context, i + 1, data.spin_num);
    }
}
