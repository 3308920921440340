// SPDX-License-Identifier: GPL-3.0-or-later
// Selected-permutation independent model: only attachments in which every
// shift is plausible for its atom, weighted as in the full model.
#include "reference/reference_engines.h"
#include "reference/selected_attachments.h"
#include "linalg/density.h"

namespace reference {

namespace {

// Missing rates and densities of the nucleus' attachment, in one pass over
// its atoms.
double nucleus_factor(const stat_data_t &s, const selected_nucleus_t &nucleus, const std::vector<int> &atoms) {
    const block_t &x = nucleus.x;
    double factor = 1.0;
    for (int a = 0; a < x.atoms; a++) {
        const int i = x.first + a;
        int shift = -1;
        for (int k = 0; k < x.shifts; k++)
            if (atoms[k] == a) shift = k;
        if (shift == -1)
            factor *= s.miss[i];
        else
            factor *= gauss_proba(x.values[shift], s.mean[i], s.std_dev[i]) * (1.0 - s.miss[i]);
    }
    return factor;
}

}  // namespace

double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s) {
    selected_nucleus_t n[NUCLEI];
    enumerate_selected(v, s, n);
    double sum = 0.0;
    for (const std::vector<int> &h : n[H_NUCLEUS].attachments) {
        const double fH = nucleus_factor(s, n[H_NUCLEUS], h);
        for (const std::vector<int> &c : n[C_NUCLEUS].attachments) {
            const double fHC = fH * nucleus_factor(s, n[C_NUCLEUS], c);
            for (const std::vector<int> &a : n[N_NUCLEUS].attachments) sum += fHC * nucleus_factor(s, n[N_NUCLEUS], a);
        }
    }
    return sum;
}

}  // namespace reference
