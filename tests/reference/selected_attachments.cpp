// SPDX-License-Identifier: GPL-3.0-or-later
// Enumeration of the selected attachments of each nucleus.
#include "reference/selected_attachments.h"

#include <algorithm>

#include "linalg/density.h"

namespace reference {

namespace {

void attach(selected_nucleus_t &nucleus, std::vector<int> &atoms, std::vector<char> &taken, int shift) {
    if (shift == nucleus.x.shifts) {
        nucleus.attachments.push_back(atoms);
        return;
    }
    for (const int a : nucleus.candidates[shift]) {
        if (taken[a]) continue;
        taken[a] = 1;
        atoms[shift] = a;
        attach(nucleus, atoms, taken, shift + 1);
        taken[a] = 0;
    }
}

}  // namespace

void enumerate_selected(const value_data_t &v, const stat_data_t &s, selected_nucleus_t nuclei[NUCLEI]) {
    block_t x[NUCLEI];
    blocks_of(v, s, x);
    for (int k = 0; k < NUCLEI; k++) {
        selected_nucleus_t &nucleus = nuclei[k];
        nucleus.x = x[k];
        nucleus.candidates.assign(x[k].shifts, {});
        for (int i = 0; i < x[k].shifts; i++)
            for (int j = 0; j < x[k].atoms; j++) {
                const int a = x[k].first + j;
                if (gauss_proba(x[k].values[i], s.mean[a], s.std_dev[a]) > 1e-06) nucleus.candidates[i].push_back(j);
            }
        std::vector<int> atoms(x[k].shifts);
        std::vector<char> taken(x[k].atoms, 0);
        attach(nucleus, atoms, taken, 0);
    }
}

double attachment_missing_rate(const stat_data_t &s, const selected_nucleus_t &nucleus, const std::vector<int> &atoms) {
    return missing_rate(s, nucleus.x, [&](int j) { return std::find(atoms.begin(), atoms.end(), j) != atoms.end(); });
}

}  // namespace reference
