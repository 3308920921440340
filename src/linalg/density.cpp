// SPDX-License-Identifier: GPL-3.0-or-later
// Mahalanobis quadratic form through GSL's BLAS, and the normal density.
#include "linalg/density.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "linalg/thresholds.h"

namespace {

using vector_ptr = std::unique_ptr<gsl_vector, decltype(&gsl_vector_free)>;
using matrix_ptr = std::unique_ptr<gsl_matrix, decltype(&gsl_matrix_free)>;

vector_ptr vector_of(const double *values, int n) {
    vector_ptr v(gsl_vector_alloc(n), gsl_vector_free);
    std::copy(values, values + n, v->data);
    return v;
}

}  // namespace

double mahalanobis(const double *x, const double *mu, const matrix_t<double> &M, int n) {
    vector_ptr a = vector_of(x, n);
    vector_ptr b = vector_of(mu, n);
    matrix_ptr G(gsl_matrix_alloc(n, n), gsl_matrix_free);
    std::copy(M[0], M[0] + n * n, G->data);  // a fresh GSL matrix has rows of exactly n

    gsl_vector_sub(a.get(), b.get());
    gsl_vector_memcpy(b.get(), a.get());
    gsl_blas_dgemv(CblasNoTrans, 1.0, G.get(), b.get(), 0.0, a.get());
    double result;
    gsl_blas_ddot(a.get(), b.get(), &result);
    return result;
}

double gauss_proba(double x, double mean, double std_dev) {
    const double z = (x - mean) / std_dev;
    const double e = std::exp(z * (-0.5 * z));
    return e / (std::sqrt(two_pi) * std_dev);
}
