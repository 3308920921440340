// SPDX-License-Identifier: GPL-3.0-or-later
// LU decomposition: pivot order and parity, determinants, inverse, singular matrices.
#include "linalg/lu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "test_support.h"

namespace {

struct decomposed_t {
    std::vector<int> index;
    double parity;
    matrix_t<double> lu_mat;
};

decomposed_t decompose(const matrix_t<double> &A, int n) {
    decomposed_t d{std::vector<int>(n), 0.0, matrix_of(std::vector<std::vector<double>>(n, std::vector<double>(n)))};
    lu_matrix_decomposition(A, n, d.index.data(), d.parity, d.lu_mat);
    return d;
}

TEST(LuDecomposition, ExchangesRowsThroughTheIndexOnly) {
    const matrix_t<double> A = matrix_of({{0, 1}, {2, 3}});
    const decomposed_t d = decompose(A, 2);
    EXPECT_EQ(d.index, (std::vector<int>{1, 0}));
    EXPECT_EQ(d.parity, -1.0);
    EXPECT_EQ(d.lu_mat[d.index[0]][0], 2.0);  // U's diagonal
    EXPECT_EQ(d.lu_mat[d.index[1]][1], 1.0);
    EXPECT_EQ(d.lu_mat[0][0], 0.0);  // row 0 of A stays row 0 of lu_mat: L's entry 0 / 2
    EXPECT_EQ(A[0][0], 0.0);
    EXPECT_EQ(lu_matrix_determinant(A, 2), -2.0);
    EXPECT_DOUBLE_EQ(lu_matrix_log_determinant(A, 2), -std::log(2.0));
}

TEST(LuDecomposition, PivotSearchExchangesAtEveryLargerMagnitude) {
    // Magnitudes 1, 3, 2 in column 0: one exchange (later columns need none).
    const matrix_t<double> A = matrix_of({{1, 5, 0}, {-3, 0, 1}, {2, 1, 1}});
    EXPECT_EQ(decompose(A, 3).index, (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(decompose(A, 3).parity, -1.0);
    EXPECT_NEAR(lu_matrix_determinant(A, 3), 24.0, 1e-12);
    // Magnitudes 1, 2, 3: position 0 is exchanged with 1, then with 2.
    const matrix_t<double> B = matrix_of({{1, 5, 0}, {2, 1, 0}, {3, 0, 1}});
    EXPECT_EQ(decompose(B, 3).index, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(decompose(B, 3).parity, 1.0);
    EXPECT_NEAR(lu_matrix_determinant(B, 3), -9.0, 1e-12);
    // Equal magnitudes: the row met first stays the pivot.
    const decomposed_t e = decompose(matrix_of({{2, 1, 0}, {-2, 0, 1}, {2, 5, 1}}), 3);
    EXPECT_EQ(e.index[0], 0);
}

TEST(LuDecomposition, IdentityOfAnyOrder) {
    for (int n = 1; n <= 5; n++) {
        std::vector<std::vector<double>> rows(n, std::vector<double>(n, 0.0));
        for (int i = 0; i < n; i++) rows[i][i] = 1.0;
        const matrix_t<double> I = matrix_of(rows);
        const decomposed_t d = decompose(I, n);
        for (int i = 0; i < n; i++) EXPECT_EQ(d.index[i], i);
        EXPECT_EQ(d.parity, 1.0);
        EXPECT_EQ(lu_matrix_determinant(I, n), 1.0);
        EXPECT_EQ(lu_matrix_log_determinant(I, n), 0.0);
        matrix_t<double> inverse = matrix_of(rows);
        lu_decomposition_mat_inv(I, n, inverse);
        EXPECT_EQ(inverse.block, I.block);
    }
}

TEST(LuDecomposition, NegativeDeterminantGivesNegativeLogarithm) {
    const matrix_t<double> A = matrix_of({{2, 0}, {0, -3}});
    EXPECT_EQ(lu_matrix_determinant(A, 2), -6.0);
    EXPECT_DOUBLE_EQ(lu_matrix_log_determinant(A, 2), -std::log(6.0));
}

TEST(LuDecomposition, SingularMatricesEndTheRun) {
    const std::vector<std::vector<std::vector<double>>> singular = {
        {{0}}, {{1, 2}, {0, 0}}, {{1, 2, 3}, {4, 5, 6}, {1, 2, 3}}};
    for (const auto &rows : singular) {
        const matrix_t<double> A = matrix_of(rows);
        const int n = static_cast<int>(rows.size());
        for (auto call : {+[](const matrix_t<double> &M, int k) { lu_matrix_determinant(M, k); },
                          +[](const matrix_t<double> &M, int k) { lu_matrix_log_determinant(M, k); }}) {
            const outcome_t o = run_captured([&] { call(A, n); });
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.err, "Error in lu_matrix_decomposition: singular matrix.\n");
        }
    }
}

TEST(LuDecomposition, OrderZero) {
    const matrix_t<double> empty;
    EXPECT_EQ(lu_matrix_determinant(empty, 0), 1.0);
    EXPECT_EQ(lu_matrix_log_determinant(empty, 0), 0.0);
    matrix_t<double> inverse;
    lu_decomposition_mat_inv(empty, 0, inverse);
    testing::internal::CaptureStdout();
    print_octave_matrix(stdout, empty, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[]\n");
}

TEST(LuDecomposition, InverseTimesMatrixIsTheIdentity) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> entry(-5.0, 5.0);
    for (int n = 1; n <= 6; n++) {
        std::vector<std::vector<double>> rows(n, std::vector<double>(n));
        for (auto &row : rows)
            for (double &x : row) x = entry(random);
        const matrix_t<double> A = matrix_of(rows);
        matrix_t<double> inverse = matrix_of(rows);
        lu_decomposition_mat_inv(A, n, inverse);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                double product = 0.0;
                for (int k = 0; k < n; k++) product += A[i][k] * inverse[k][j];
                EXPECT_NEAR(product, i == j ? 1.0 : 0.0, 1e-9) << "n=" << n << " (" << i << "," << j << ")";
            }
    }
}

TEST(LuDecomposition, SubstitutionSolvesThePermutedSystem) {
    const matrix_t<double> A = matrix_of({{0, 1, 2}, {2, 3, 1}, {4, 0, 1}});
    const decomposed_t d = decompose(A, 3);
    const double y[3] = {3.0, 6.0, 5.0};  // A × (1, 1, 1)
    double b[3];
    for (int a = 0; a < 3; a++) b[a] = y[d.index[a]];
    lu_forward_backsubstitution(d.lu_mat, d.index.data(), 3, b);
    for (double x : b) EXPECT_NEAR(x, 1.0, 1e-12);
}

TEST(LuDecomposition, OctavePrintIsOneLine) {
    testing::internal::CaptureStdout();
    print_octave_matrix(stdout, matrix_of({{1, -0.5}, {1e-7, 12345678}}), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[[         1      -0.5];[     1e-07 1.235e+07];]\n");
}

}  // namespace
