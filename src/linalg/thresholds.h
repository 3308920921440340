// SPDX-License-Identifier: GPL-3.0-or-later
// The numbers that decide what the models count and what the fast engines
// may leave out, each named once.
#pragma once

// 2π as the models write it; its logarithm and square root are taken at run time.
constexpr double two_pi = 6.283185307179586;

// A shift is a candidate for an atom in the selected-permutation models when
// its normal density there is above this.
constexpr double plausible_density = 1e-06;

// A Cholesky pivot of at most this share of its atom's variance counts as
// lost in rounding: those rows go to the LU decomposition instead, which
// reports a singular matrix where the rows are one.
constexpr double pivot_tolerance = 1e-10;

// Subtrees that the MVND walks skip hold at most this share of the pair's
// score in total.
constexpr double skip_budget = 1e-13;

// exp() of any exponent below this is 0 in double precision (the smallest
// subnormal double is exp(-745.13)), with room for the rounding of the bound.
constexpr double underflow_exponent = -750.0;
