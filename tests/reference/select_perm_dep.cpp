// SPDX-License-Identifier: GPL-3.0-or-later
// Selected-permutation MVND model: the selected attachments, each scored by
// one multivariate normal density over all observed shifts.
#include "reference/reference_engines.h"
#include "reference/mvnd_work.h"
#include "reference/selected_attachments.h"

namespace reference {

namespace {

// Rows of the nucleus (from first_row) follow its shifts in input order and
// take the atoms of the attachment.
void place_attachment(mvnd_work_t &work, const stat_data_t &s, const selected_nucleus_t &nucleus,
                      const std::vector<int> &atoms, int first_row) {
    const block_t &x = nucleus.x;
    std::vector<int> positions(x.shifts);
    for (int i = 0; i < x.shifts; i++) {
        positions[i] = x.first + atoms[i];
        work.values[first_row + i] = x.values[i];
    }
    place_rows(work, s, first_row, x.shifts, positions.data());
}

}  // namespace

double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    // Without shifts the density has order 0 and counts 1.
    if (v.total_num == 0) return all_missing(v, s);

    mvnd_work_t work;
    alloc_mvnd_work(work, v.total_num, __func__);
    selected_nucleus_t n[NUCLEI];
    enumerate_selected(v, s, n);
    const int rH = 0, rC = v.H_num, rN = v.H_num + v.C_num;

    double sum = 0.0;
    for (const std::vector<int> &h : n[H_NUCLEUS].attachments) {
        const double gH = attachment_missing_rate(s, n[H_NUCLEUS], h);
        place_attachment(work, s, n[H_NUCLEUS], h, rH);
        for (const std::vector<int> &c : n[C_NUCLEUS].attachments) {
            const double gHC = gH * attachment_missing_rate(s, n[C_NUCLEUS], c);
            place_attachment(work, s, n[C_NUCLEUS], c, rC);
            for (const std::vector<int> &a : n[N_NUCLEUS].attachments) {
                const double gN = attachment_missing_rate(s, n[N_NUCLEUS], a);
                place_attachment(work, s, n[N_NUCLEUS], a, rN);
                const double hl = factor_cov(work);
                sum += mvnd_density(work, hl) * (gN * gHC);
            }
        }
    }
    return sum;
}

}  // namespace reference
