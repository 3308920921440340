// SPDX-License-Identifier: GPL-3.0-or-later
// The probability report: types ranked by score, as shares or as a class block.
#include "report/report.h"

#include <cstdio>
#include <vector>

#include "input/failure.h"

void swap(int *index, int i, int j) {
    const int kept = index[i];
    index[i] = index[j];
    index[j] = kept;
}

namespace {

// Quicksort of the indices with the middle element as pivot; `before` is the
// strict order that moves an entry in front of the pivot.
template <typename Before>
void index_quicksort(const double *values, int *index, int left, int right, Before before) {
    while (left < right) {
        swap(index, left, (left + right) / 2);
        int last = left;
        for (int i = left + 1; i <= right; i++)
            if (before(values[index[i]], values[index[left]])) swap(index, ++last, i);
        swap(index, left, last);
        index_quicksort(values, index, left, last - 1, before);
        left = last + 1;
    }
}

}  // namespace

void dQsort_dec(const double *values, int *index, int left, int right) {
    index_quicksort(values, index, left, right, [](double a, double b) { return a > b; });
}

void dQsort_inc(const double *values, int *index, int left, int right) {
    index_quicksort(values, index, left, right, [](double a, double b) { return a < b; });
}

void rank_types(const double *scores, int type_num, int *index) {
    for (int k = 0; k < type_num; k++) index[k] = k;
    dQsort_dec(scores, index, 0, type_num - 1);
}

double score_total(const value_data_t &v, int type_num) {
    double sum = 0.0;
    for (int k = 0; k < type_num; k++) sum += v.proba[k];
    return sum;
}

namespace {

// Types whose share of the spin system's total is at least 0.01, best first.
void print_prediction_line(const value_data_t &v, const int *index, int type_num, int number) {
    const double sum = score_total(v, type_num);
    const double divisor = divides_into_shares(sum) ? sum : 1.0;
    printf("%3d: ", number);
    for (int k = 0; k < type_num; k++) {
        const int t = index[k];
        const double share = v.proba[t] / divisor;
        if (share >= 0.01) printf("%c (%.2f) ", AA1[t], share);
    }
}

// The declared type's number, then every type's number in ranked order.
void print_class_block(const value_data_t &v, const int *index, int type_num) {
    printf("# Is class %d\n", v.res_type + 1);
    printf("# Classe");
    for (int k = 0; k < type_num; k++) printf("%3d", index[k] + 1);
}

}  // namespace

void print_probas(const data_t &data) {
    std::vector<int> index;
    std::vector<double> tmp_val;
    ALLOCATE(index, data.type_num, "index");
    ALLOCATE(tmp_val, data.type_num, "tmp_val");

    for (int s = 0; s < data.spin_num; s++) {
        const value_data_t &v = data.vdata[s];
        for (int k = 0; k < data.type_num; k++) tmp_val[k] = v.proba[k];
        rank_types(tmp_val.data(), data.type_num, index.data());
        if (v.res_type == -1)
            print_prediction_line(v, index.data(), data.type_num, s + 1);
        else
            print_class_block(v, index.data(), data.type_num);
        printf("\n");
    }

    FREE_GUARDED(index, "index");
    FREE_GUARDED(tmp_val, "tmp_val");
}
