// SPDX-License-Identifier: GPL-3.0-or-later
// The fit of a spin system's shifts to a type.
#include "fit/fit.h"

#include <gsl/gsl_cdf.h>
#include <gsl/gsl_sf_gamma.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "engines/least_cost_assignment.h"

namespace {

constexpr double infinite = std::numeric_limits<double>::infinity();

// The type's atoms of one nucleus: mean and standard deviation, ppm.
std::vector<std::pair<double, double>> atoms_of(const type_statistics_t &type, char nucleus) {
    std::vector<std::pair<double, double>> atoms;
    const stat_data_t &s = type.stats;
    for (int p = 0; p < s.atom_num; p++)
        if (s.atom_type[p] == nucleus) atoms.emplace_back(s.mean[p], s.std_dev[p]);
    return atoms;
}

double z_of(double x, const std::pair<double, double> &atom) { return (x - atom.first) / atom.second; }

// Least sum of z^2 giving each shift a distinct atom of its nucleus.
double least_chi_square(const std::vector<double> &values, const std::vector<std::pair<double, double>> &atoms) {
    if (values.empty()) return 0.0;
    if (values.size() > atoms.size()) return infinite;
    std::vector<double> cost;
    for (double x : values)
        for (const auto &atom : atoms) cost.push_back(z_of(x, atom) * z_of(x, atom));
    for (double c : cost)
        if (!std::isfinite(c)) return infinite;
    return least_cost_assignment(cost, static_cast<int>(values.size()), static_cast<int>(atoms.size()));
}

// The distance of a shift to the nearest atom, in standard deviations.
double nearest_sd(double x, const std::vector<std::pair<double, double>> &atoms) {
    double nearest = infinite;
    for (const auto &atom : atoms) nearest = std::fmin(nearest, std::fabs(z_of(x, atom)));
    return nearest;
}

struct nucleus_t {
    char letter;
    const std::vector<double> *values;
};

std::vector<nucleus_t> nuclei_of(const shift_values_t &shifts) {
    return {{'H', &shifts.h}, {'C', &shifts.c}, {'N', &shifts.n}};
}

// log10 of the chi-square upper tail with k degrees of freedom at x.
double log10_chi_square_tail(double x, int k) {
    const double q = gsl_cdf_chisq_Q(x, k);
    if (q > 1e-300) return std::log10(q);
    const double a = 0.5 * k, y = 0.5 * x;
    return ((a - 1.0) * std::log(y) - y - gsl_sf_lngamma(a) + std::log1p((a - 1.0) / y)) / std::log(10.0);
}

std::string shift_text(char nucleus, double ppm) {
    char text[64];
    std::snprintf(text, sizeof text, "%c=%.7g", nucleus, ppm);
    return text;
}

}  // namespace

type_fit_t fit_to_type(const shift_values_t &shifts, const type_statistics_t &type) {
    type_fit_t result{0.0, shifts.count(), 0.0, 0.0};
    for (const nucleus_t &nucleus : nuclei_of(shifts)) {
        const auto atoms = atoms_of(type, nucleus.letter);
        result.chi_square += least_chi_square(*nucleus.values, atoms);
        for (double x : *nucleus.values) result.farthest_sd = std::fmax(result.farthest_sd, nearest_sd(x, atoms));
    }
    if (result.shifts > 0)
        result.fit = std::isfinite(result.chi_square) ? log10_chi_square_tail(result.chi_square, result.shifts) : -infinite;
    return result;
}

std::vector<std::string> far_shifts(const shift_values_t &shifts, const type_statistics_t &type, double sds) {
    std::vector<std::string> far;
    for (const nucleus_t &nucleus : nuclei_of(shifts)) {
        const auto atoms = atoms_of(type, nucleus.letter);
        for (double x : *nucleus.values)
            if (nearest_sd(x, atoms) > sds) far.push_back(shift_text(nucleus.letter, x));
    }
    return far;
}
