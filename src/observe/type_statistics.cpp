// SPDX-License-Identifier: GPL-3.0-or-later
// Copies and sub-blocks of a type's statistics.
#include "observe/type_statistics.h"

#include "input/failure.h"

stat_data_t sub_statistics(const stat_data_t &s, const std::vector<int> &positions) {
    stat_data_t sub;
    const int m = static_cast<int>(positions.size());
    sub.atom_num = m;
    ALLOCATE(sub.mean, m, "sub.mean");
    ALLOCATE(sub.std_dev, m, "sub.std_dev");
    ALLOCATE(sub.miss, m, "sub.miss");
    ALLOCATE(sub.atom_type, m, "sub.atom_type");
    ALLOCATE_MATRIX(sub.cov, m, m, "sub.cov");
    for (int i = 0; i < m; i++) {
        const int p = positions[i];
        sub.mean[i] = s.mean[p];
        sub.std_dev[i] = s.std_dev[p];
        sub.miss[i] = s.miss[p];
        sub.atom_type[i] = s.atom_type[p];
        for (int j = 0; j < m; j++) sub.cov[i][j] = s.cov[p][positions[j]];
        if (sub.atom_type[i] == 'H')
            sub.H_num++;
        else if (sub.atom_type[i] == 'C')
            sub.C_num++;
        else if (sub.atom_type[i] == 'N')
            sub.N_num++;
    }
    return sub;
}

stat_data_t copy_statistics(const stat_data_t &s) {
    std::vector<int> all(s.atom_num);
    for (int p = 0; p < s.atom_num; p++) all[p] = p;
    return sub_statistics(s, all);
}
