// SPDX-License-Identifier: GPL-3.0-or-later
// The numerical steps of the statistics, each in a fixed order of operations:
// the printed digits of the shipped files depend on it.
#include "stats/recipe.h"

#include <gsl/gsl_eigen.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct matrix_deleter {
    void operator()(gsl_matrix *m) const { gsl_matrix_free(m); }
};
struct vector_deleter {
    void operator()(gsl_vector *v) const { gsl_vector_free(v); }
};
struct workspace_deleter {
    void operator()(gsl_eigen_symmv_workspace *w) const { gsl_eigen_symmv_free(w); }
};
using owned_matrix_t = std::unique_ptr<gsl_matrix, matrix_deleter>;
using owned_vector_t = std::unique_ptr<gsl_vector, vector_deleter>;

owned_matrix_t to_gsl(const square_matrix_t &matrix) {
    owned_matrix_t copy(gsl_matrix_alloc(matrix.dim, matrix.dim));
    if (!copy) throw std::bad_alloc();
    for (int i = 0; i < matrix.dim; i++)
        for (int j = 0; j < matrix.dim; j++) gsl_matrix_set(copy.get(), i, j, matrix.at(i, j));
    return copy;
}

struct eigen_t {
    owned_vector_t values;
    owned_matrix_t vectors;  // column k belongs to value k
};

eigen_t eigen_decomposition(const square_matrix_t &matrix) {
    owned_matrix_t work = to_gsl(matrix);
    eigen_t eigen{owned_vector_t(gsl_vector_alloc(matrix.dim)),
                  owned_matrix_t(gsl_matrix_alloc(matrix.dim, matrix.dim))};
    std::unique_ptr<gsl_eigen_symmv_workspace, workspace_deleter> workspace(gsl_eigen_symmv_alloc(matrix.dim));
    if (!eigen.values || !eigen.vectors || !workspace) throw std::bad_alloc();
    gsl_eigen_symmv(work.get(), eigen.values.get(), eigen.vectors.get(), workspace.get());
    return eigen;
}

// The co-observed shifts of two atoms: both in the same residue and both
// inside their outlier windows, in residue order.
struct pairs_t {
    std::vector<double> x, y;
};

pairs_t co_observed(const atom_observations_t &a, const atom_moments_t &ma, const atom_observations_t &b,
                    const atom_moments_t &mb, double outlier_sd) {
    auto inside = [outlier_sd](double ppm, const atom_moments_t &m) {
        return std::fabs(ppm - m.window_mean) <= outlier_sd * m.window_sd;
    };
    pairs_t pairs;
    std::size_t i = 0, j = 0;
    while (i < a.observations.size() && j < b.observations.size()) {
        const observation_t &p = a.observations[i], &q = b.observations[j];
        if (p.residue < q.residue) {
            i++;
        } else if (q.residue < p.residue) {
            j++;
        } else {
            if (inside(p.ppm, ma) && inside(q.ppm, mb)) {
                pairs.x.push_back(p.ppm);
                pairs.y.push_back(q.ppm);
            }
            i++;
            j++;
        }
    }
    return pairs;
}

// Pearson's r of the pairs around their own means; 0 when either side does
// not vary.
double pearson(const pairs_t &pairs) {
    const double mx = plain_mean(pairs.x), my = plain_mean(pairs.y);
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (std::size_t k = 0; k < pairs.x.size(); k++) {
        const double dx = pairs.x[k] - mx, dy = pairs.y[k] - my;
        sxy += dx * dy;
        sxx += dx * dx;
        syy += dy * dy;
    }
    if (sxx == 0.0 || syy == 0.0) return 0.0;
    return sxy / std::sqrt(sxx * syy);
}

}  // namespace

double plain_mean(const std::vector<double> &values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

double sample_sd(const std::vector<double> &values, double mean) {
    double sum = 0.0;
    for (double v : values) sum += (v - mean) * (v - mean);
    return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

atom_moments_t atom_moments(const std::vector<observation_t> &observations, double outlier_sd,
                            const std::string &label) {
    const long n = static_cast<long>(observations.size());
    if (n < 2)
        throw stats_error("too few shifts of " + label + " to estimate its statistics: " + std::to_string(n) +
                          (n == 1 ? " shift" : " shifts") + ", at least 2 needed");
    atom_moments_t m{};
    std::vector<double> all;
    for (const observation_t &o : observations) all.push_back(o.ppm);
    m.n_obs = n;
    m.min = *std::min_element(all.begin(), all.end());
    m.max = *std::max_element(all.begin(), all.end());
    m.window_mean = plain_mean(all);
    m.window_sd = sample_sd(all, m.window_mean);
    std::vector<double> kept;
    for (double v : all)
        if (std::fabs(v - m.window_mean) <= outlier_sd * m.window_sd) kept.push_back(v);
    m.outliers = n - static_cast<long>(kept.size());
    if (kept.size() < 2)
        throw stats_error("too few shifts of " + label + " left inside the outlier cut to estimate its statistics: " +
                          std::to_string(kept.size()) + " of " + std::to_string(n) + ", at least 2 needed");
    // Equal values can leave a rounding residue of 1e-16 in the sd; their
    // spread is what matters.
    if (*std::min_element(kept.begin(), kept.end()) == *std::max_element(kept.begin(), kept.end())) {
        char value[64];
        snprintf(value, sizeof value, "%.3f", kept[0]);
        throw stats_error("the " + std::to_string(kept.size()) + " shifts of " + label + " are all " + value +
                          " ppm: no standard deviation to estimate");
    }
    m.mean = plain_mean(kept);
    m.sd = sample_sd(kept, m.mean);
    return m;
}

double missing_percent(long n_res, long n_obs) {
    return 100.0 * static_cast<double>(n_res - n_obs + 1) / static_cast<double>(n_res + 2);
}

square_matrix_t shrunk_correlations(const std::vector<atom_observations_t> &atoms,
                                    const std::vector<atom_moments_t> &moments, double outlier_sd) {
    const int d = static_cast<int>(atoms.size());
    square_matrix_t r(d);
    for (int i = 0; i < d; i++) {
        r.at(i, i) = 1.0;
        for (int j = i + 1; j < d; j++) {
            const pairs_t pairs = co_observed(atoms[i], moments[i], atoms[j], moments[j], outlier_sd);
            const double n = static_cast<double>(pairs.x.size());
            double c = 0.0;
            if (static_cast<long>(pairs.x.size()) >= min_pairs) {
                c = std::clamp(pearson(pairs), -correlation_limit, correlation_limit);
                c = c * n / (n + shrink_pairs);
            }
            r.at(i, j) = r.at(j, i) = c;
        }
    }
    return r;
}

bool raise_eigenvalue_floor(square_matrix_t &correlation, double floor) {
    const int d = correlation.dim;
    const eigen_t eigen = eigen_decomposition(correlation);
    if (gsl_vector_min(eigen.values.get()) >= floor) return false;
    std::vector<double> raised(d);
    for (int k = 0; k < d; k++) raised[k] = std::max(gsl_vector_get(eigen.values.get(), k), floor);
    square_matrix_t rebuilt(d);
    const gsl_matrix *v = eigen.vectors.get();
    for (int i = 0; i < d; i++)
        for (int j = i; j < d; j++) {
            double sum = 0.0;
            for (int k = 0; k < d; k++) sum += gsl_matrix_get(v, i, k) * raised[k] * gsl_matrix_get(v, j, k);
            rebuilt.at(i, j) = rebuilt.at(j, i) = sum;
        }
    for (int i = 0; i < d; i++) {
        correlation.at(i, i) = 1.0;
        for (int j = i + 1; j < d; j++)
            correlation.at(i, j) = correlation.at(j, i) =
                rebuilt.at(i, j) / std::sqrt(rebuilt.at(i, i) * rebuilt.at(j, j));
    }
    return true;
}

square_matrix_t covariances(const square_matrix_t &correlation, const std::vector<double> &sds) {
    const int d = correlation.dim;
    square_matrix_t c(d);
    for (int i = 0; i < d; i++)
        for (int j = i; j < d; j++) c.at(i, j) = c.at(j, i) = correlation.at(i, j) * (sds[i] * sds[j]);
    return c;
}

square_matrix_t as_printed(const square_matrix_t &matrix) {
    square_matrix_t printed(matrix.dim);
    char text[64];
    for (std::size_t k = 0; k < matrix.cells.size(); k++) {
        snprintf(text, sizeof text, "%.6f", matrix.cells[k]);
        printed.cells[k] = strtod(text, nullptr);
    }
    return printed;
}

bool cholesky_succeeds(const square_matrix_t &matrix) {
    owned_matrix_t work = to_gsl(matrix);
    // A matrix that is not positive definite is an answer here, not a fault
    // that should abort the program.
    gsl_error_handler_t *previous = gsl_set_error_handler_off();
    const int status = gsl_linalg_cholesky_decomp1(work.get());
    gsl_set_error_handler(previous);
    return status == GSL_SUCCESS;
}
