// SPDX-License-Identifier: GPL-3.0-or-later
// The steps that turn observed shifts into statistics: per-atom moments with
// the outlier cut, missing rates, shrunk pairwise correlations, the
// eigenvalue floor and the covariances.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A fault of the data that leaves nothing sound to write (too few values,
// values that do not vary); the message names the amino acid and atom.
struct stats_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One observed shift: the residue it belongs to and its value.
struct observation_t {
    long residue;  // index of the residue among its amino acid's residues, in entry and file order
    double ppm;    // chemical shift, ppm
};

// Every observed shift of one atom of one amino acid.
struct atom_observations_t {
    std::string name;                         // atom name ("HB", "HA2")
    char nucleus;                             // 'H', 'C' or 'N'
    std::vector<observation_t> observations;  // by ascending residue, at most one per residue
};

// What one line of the statistics file says of an atom, and how it came about.
struct atom_moments_t {
    long n_obs;          // observed shifts
    double min;          // smallest shift, outliers included, ppm
    double max;          // largest shift, outliers included, ppm
    double window_mean;  // first-pass mean over every shift: the centre of the outlier window, ppm
    double window_sd;    // first-pass standard deviation: the window is ± outlier_sd × this, ppm
    long outliers;       // shifts outside the window, left out of mean and sd
    double mean;         // mean of the shifts kept, ppm
    double sd;           // standard deviation of the shifts kept (n - 1 denominator), ppm
};

// A square matrix, row after row.
struct square_matrix_t {
    int dim = 0;                // rows and columns
    std::vector<double> cells;  // dim × dim values

    explicit square_matrix_t(int n = 0) : dim(n), cells(static_cast<std::size_t>(n) * n, 0.0) {}
    double &at(int i, int j) { return cells[static_cast<std::size_t>(i) * dim + j]; }
    double at(int i, int j) const { return cells[static_cast<std::size_t>(i) * dim + j]; }
};

// The thresholds of the correlations.
constexpr long min_pairs = 10;               // fewer co-observations than this give a correlation of 0
constexpr double correlation_limit = 0.99;   // correlations are clipped to ± this
constexpr double shrink_pairs = 10.0;        // a correlation of n pairs is shrunk by n / (n + this)
constexpr double eigenvalue_floor = 0.01;    // smallest eigenvalue a correlation matrix keeps
constexpr double largest_shift = 1e6;        // ppm; larger magnitudes are faults, and keep every sum finite

// Mean by a plain sum from first to last, so that the same values in the same
// order always give the same printed digits.
double plain_mean(const std::vector<double> &values);
// Standard deviation with the n - 1 denominator, summed in the same order.
double sample_sd(const std::vector<double> &values, double mean);

// The moments of an atom's shifts. The label ("ALA HB") names the atom in
// the stats_error thrown when fewer than two shifts remain, or when those
// kept do not vary.
atom_moments_t atom_moments(const std::vector<observation_t> &observations, double outlier_sd,
                            const std::string &label);

// Missing rate in percent with one added to the missing and two to the
// residues, so that it is never exactly 0 or 100.
double missing_percent(long n_res, long n_obs);

// Correlations of the atoms' co-observed shifts, each shift inside its atom's
// outlier window (± outlier_sd × window_sd around window_mean): Pearson's r
// over the pairs, 0 below min_pairs pairs or when either side does not vary,
// clipped to ± correlation_limit, then shrunk by n / (n + shrink_pairs).
// Exactly symmetric, 1 on the diagonal.
square_matrix_t shrunk_correlations(const std::vector<atom_observations_t> &atoms,
                                    const std::vector<atom_moments_t> &moments, double outlier_sd);

// Raises the eigenvalues of the correlation matrix below the floor to it and
// rescales to a unit diagonal; returns false, leaving the matrix as it was,
// when none is below.
bool raise_eigenvalue_floor(square_matrix_t &correlation, double floor);

// The covariances: correlation × sd_i × sd_j, computed once per pair so that
// the matrix is exactly symmetric.
square_matrix_t covariances(const square_matrix_t &correlation, const std::vector<double> &sds);

// The matrix as kestrin reads it back from the file: every cell rounded to
// six decimals.
square_matrix_t as_printed(const square_matrix_t &matrix);

// True when the Cholesky decomposition of the matrix succeeds (it is
// positive definite to working precision).
bool cholesky_succeeds(const square_matrix_t &matrix);
