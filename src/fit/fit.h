// SPDX-License-Identifier: GPL-3.0-or-later
// How well one type's statistics explain a spin system's shifts, apart from
// the model's score: the closest one-to-one matching of the shifts to the
// type's atoms, and the shifts that no atom of their nucleus is near.
//
// Each shift x matched to an atom with mean m and standard deviation s
// contributes z^2 = ((x - m) / s)^2; per nucleus, the matching of shifts to
// distinct atoms with the least sum of z^2 is found by the Hungarian method.
// Were the shifts normal and independent, that least sum would be at most a
// chi-square variable with as many degrees of freedom as shifts, and its
// upper tail Q_chi2(sum z^2 ; shifts) a p-value, small when no matching
// explains the shifts. The fit is its logarithm,
//     fit = log10 Q_chi2(sum z^2 ; shifts),
// kept finite far into the tail, where Q itself is below the smallest
// double, by the tail's leading terms
//     Q(a, y) ~ y^(a-1) e^-y / Gamma(a) (1 + (a-1)/y),  a = shifts/2, y = sum z^2 / 2. Real shifts have
// heavier tails than the normal, so the fit of a real residue is compared
// with what real residues of the same type give (fit_thresholds.h), not
// with a nominal level.
#pragma once

#include <string>
#include <vector>

#include "observe/shift_values.h"
#include "observe/type_statistics.h"

struct type_fit_t {
    double chi_square;   // least sum of z^2 over matchings; infinite when the type has fewer atoms of a nucleus than shifts
    int shifts;          // shifts matched (the degrees of freedom)
    double fit;          // log10 Q_chi2(chi_square; shifts); 0 without shifts, -infinity when no matching exists
    double farthest_sd;  // over the shifts, the largest distance to the nearest atom of its nucleus, in that
                         // atom's standard deviations; 0 without shifts, infinite for a nucleus the type lacks
};

type_fit_t fit_to_type(const shift_values_t &shifts, const type_statistics_t &type);

// The shifts farther than `sds` standard deviations from every atom of their
// nucleus in the type, as "C=187.3" (nucleus, '=', the value), in the order
// H, C, N.
std::vector<std::string> far_shifts(const shift_values_t &shifts, const type_statistics_t &type, double sds);
