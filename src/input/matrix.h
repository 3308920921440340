// SPDX-License-Identifier: GPL-3.0-or-later
// The program's matrix form: row pointers into one contiguous block, so a
// matrix can be read row by row or copied in one go from row 0.
#pragma once

#include <vector>

template <typename T>
struct matrix_t {
    std::vector<T> block;  // rows × cols elements, row after row
    std::vector<T *> row;  // row[i] == block.data() + i × cols

    matrix_t() = default;
    matrix_t(const matrix_t &) = delete;  // the row pointers would point into the source
    matrix_t &operator=(const matrix_t &) = delete;
    matrix_t(matrix_t &&) = default;  // a moved vector keeps its buffer
    matrix_t &operator=(matrix_t &&) = default;

    T *operator[](int i) { return row[i]; }
    const T *operator[](int i) const { return row[i]; }
};
