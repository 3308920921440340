// SPDX-License-Identifier: GPL-3.0-or-later
// The thresholds of the fit flags, set on real residues.
#pragma once

// The least fit (fit/fit.h) that real residues of each type give, in AA3
// order, and the farthest shift they hold from the nearest atom of their
// type, standard deviations. See the .cpp for how they were measured.
double least_real_fit(int amino_acid);
extern const double far_shift_sds;
