// SPDX-License-Identifier: GPL-3.0-or-later
// The quadratic form of the multivariate normal and the univariate normal density.
#pragma once

#include "input/matrix.h"

// (x - mu)ᵀ × M × (x - mu) with the full matrix M of order n >= 1, returned
// with its sign (negative when M is not positive semi-definite).
double mahalanobis(const double *x, const double *mu, const matrix_t<double> &M, int n);

// The normal density of x for the given mean and standard deviation.
double gauss_proba(double x, double mean, double std_dev);
