// SPDX-License-Identifier: GPL-3.0-or-later
// Selected-assignment enumerator: candidate rule, pruning and a backtracking odometer.
#include "engines/select_enum.h"

#include <cstdio>

#include "input/failure.h"
#include "linalg/density.h"
#include "linalg/thresholds.h"

void alloc_enum_data(enum_data_t &enumd, int n, int m) {
    ALLOCATE_MATRIX(enumd.val, n, m, "enumd->val");
    ALLOCATE(enumd.max_val, n, "enumd->max_val");
    ALLOCATE(enumd.pos, n, "enumd->pos");
    ALLOCATE(enumd.tag, m, "enumd->tag");
}

namespace {

// Removes atom from every list but shift i's; 2 when another shift had it as
// its only candidate, else 0. Sets changed when a list shrank.
int remove_from_other_lists(enum_data_t &enumd, int n, int i, int atom, bool &changed) {
    for (int j = 0; j < n; j++) {
        if (j == i) continue;
        int *row = enumd.val[j];
        for (int p = 0; p < enumd.max_val[j]; p++) {
            if (row[p] != atom) continue;
            if (enumd.max_val[j] == 1) return 2;
            for (int q = p + 1; q < enumd.max_val[j]; q++) row[q - 1] = row[q];
            enumd.max_val[j]--;
            changed = true;
            break;
        }
    }
    return 0;
}

}  // namespace

int init_enum_data(enum_data_t &enumd, const double *mean, const double *std_dev, int m, int first_atom, int n,
                   const double *shifts) {
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < m; j++) {
            const int t = first_atom + j;
            if (gauss_proba(shifts[i], mean[t], std_dev[t]) > plausible_density) enumd.val[i][enumd.max_val[i]++] = j;
        }
        if (enumd.max_val[i] == 0) return 1;
    }

    // A shift with a single candidate owns it: no other shift may take it.
    bool changed;
    do {
        changed = false;
        for (int i = 0; i < n; i++)
            if (enumd.max_val[i] == 1 && remove_from_other_lists(enumd, n, i, enumd.val[i][0], changed) == 2)
                return 2;
    } while (changed);
    return 0;
}

int select_enum_init_first(enum_data_t &enumd, int n, int m) {
    for (int a = 0; a < m; a++) enumd.tag[a] = -1;
    if (n == 0) return 0;
    // Just before the first assignment: shift 0 unplaced, the others on their
    // last choice, so that the next step rolls every shift to its first.
    enumd.pos[0] = -1;
    for (int i = 1; i < n; i++) enumd.pos[i] = enumd.max_val[i] - 1;
    return select_enum_next(enumd, n);
}

namespace {

void release_atom(enum_data_t &enumd, int shift) {
    if (enumd.pos[shift] >= 0) enumd.tag[enumd.val[shift][enumd.pos[shift]]] = -1;
}

}  // namespace

int select_enum_next(enum_data_t &enumd, int n) {
    if (n == 0) return 1;
    const int last = n - 1;
    int cur = last;
    release_atom(enumd, cur);
    int k = last - 1;  // shifts 0..k hold their atoms
    do {
        enumd.pos[cur]++;
        if (enumd.pos[cur] == enumd.max_val[cur]) {
            enumd.pos[cur] = -1;
            if (--cur < 0) return 1;
            release_atom(enumd, cur);
            k--;
        } else {
            const int atom = enumd.val[cur][enumd.pos[cur]];
            if (enumd.tag[atom] == -1) {
                enumd.tag[atom] = cur;
                k++;
                if (cur != last) cur++;
            }
        }
    } while (k != last);
    return 0;
}

void free_enum_data(enum_data_t &enumd) {
    FREE_GUARDED(enumd.val.block, "(enumd->val)[0]");
    FREE_GUARDED(enumd.val.row, "enumd->val");
    FREE_GUARDED(enumd.max_val, "enumd->max_val");
    FREE_GUARDED(enumd.pos, "enumd->pos");
    FREE_GUARDED(enumd.tag, "enumd->tag");
}

void print_enum(const enum_data_t &enumd, int n, int m) {
    printf(" + pos:\n");
    for (int i = 0; i < n; i++) printf("%4d", enumd.pos[i]);
    printf("\n + tag:\n");
    for (int a = 0; a < m; a++) printf("%4d", enumd.tag[a]);
    printf("\n");
}
