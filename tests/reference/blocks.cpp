// SPDX-License-Identifier: GPL-3.0-or-later
// Nucleus blocks and the all-missing score of the straightforward engines.
#include "reference/blocks.h"

namespace reference {

void blocks_of(const value_data_t &v, const stat_data_t &s, block_t blocks[NUCLEI]) {
    blocks[H_NUCLEUS] = {s.H_num, 0, v.H_num, v.H_val.data()};
    blocks[C_NUCLEUS] = {s.C_num, s.H_num, v.C_num, v.C_val.data()};
    blocks[N_NUCLEUS] = {s.N_num, s.H_num + s.C_num, v.N_num, v.N_val.data()};
}

double all_missing(const value_data_t &v, const stat_data_t &s) {
    block_t x[NUCLEI];
    blocks_of(v, s, x);
    auto none = [](int) { return false; };
    return missing_rate(s, x[H_NUCLEUS], none) * missing_rate(s, x[C_NUCLEUS], none) * missing_rate(s, x[N_NUCLEUS], none);
}

}  // namespace reference
