// SPDX-License-Identifier: GPL-3.0-or-later
// The thresholds of the fit flags, measured by scripts/fit-thresholds.sh on
// the 93,068 residues of the 871 RefDB entries that the default statistics
// were built from, types hidden, with those statistics:
//   - the least fit per type is the 0.1 % quantile of the fit of residues
//     of that type to their own type, over the 91,956 residues whose every
//     shift lies within 5 standard deviations of an atom of the type (the
//     statistics' outlier window; the other 1.2 % are mostly errors of the
//     entries, which would lower the thresholds by hundreds of orders of
//     magnitude);
//   - the far-shift distance is the 99.9 % quantile, over all residues, of
//     the farthest shift from the nearest atom of its nucleus in the
//     residue's own type.
#include "fit/fit_thresholds.h"

namespace {

// log10 of the chi-square p-value, in AA3 order (ALA ARG ASP ASN CYS GLU
// GLN GLY HIS ILE LEU LYS MET PHE PRO SER THR TRP TYR VAL).
constexpr double least_fit[20] = {-6.89,  -25.60, -8.93,  -10.54, -8.38,   -11.51,  -12.69,
                                  -8.20,  -85.86, -29.07, -14.04, -34.77,  -35.11,  -11.31,
                                  -74.09, -8.23,  -373.51, -287.05, -25.81, -136.50};

}  // namespace

double least_real_fit(int amino_acid) { return least_fit[amino_acid]; }

const double far_shift_sds = 10.53;
