// SPDX-License-Identifier: GPL-3.0-or-later
// Placing spin systems in the sequence: each spin system's type
// probabilities, those of the residue before it, and the agreement of the
// shifts it saw for the residue before with the shifts of the spin system
// placed there, maximised over one-to-one placements of all spin systems
// together; each placement's probability from sampling. See placement.cpp
// for the method.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One shift that links compare: an atom name as the spin systems write it
// ("CA", "CB") and its value.
struct link_shift_t {
    std::string atom;  // atom name
    double ppm;        // shift, ppm
};

struct placement_system_t {
    std::array<double, 20> type_share{};      // P(type | its own shifts), AA3 order, summing to 1; all 0 when
                                              // the shifts say nothing
    std::array<double, 20> previous_share{};  // P(type of the residue before | the shifts it saw for that
                                              // residue); all 0 without such shifts
    std::vector<link_shift_t> shifts;         // its own shifts of the atoms that links compare
    std::vector<link_shift_t> previous;       // the shifts it saw for the residue before, the same atoms
    int fixed = -1;                           // the position it is assigned to and keeps; -1 to be placed
};

struct placement_problem_t {
    std::vector<int> residues;              // per position of the sequence: AA3 index; -1 for a residue of no
                                            // known type, where no spin system is placed
    std::vector<bool> follows;              // per position: true when it follows the position before in its
                                            // chain (false for the first of each chain)
    std::vector<placement_system_t> systems;
    std::vector<std::vector<int>> stretches;  // spin systems (indices of `systems`, none fixed) that the file
                                              // links into consecutive residues, in order; two or more each
};

// The spread of the shift differences of linked pairs, per atom.
struct link_tolerance_t {
    std::string atom;    // atom name
    double sd;           // standard deviation of a linked pair's difference, ppm
    double background;   // standard deviation of the difference of two unrelated spin systems, ppm
    long pairs;          // linked pairs the spread was measured on
};

struct placement_settings_t {
    std::uint64_t seed = 20261209;  // the sampler's seed: the same seed gives the same result
    long annealing_sweeps = 1500;   // sweeps (one move per movable slot each) of the search for the best,
                                    // with up to 200 spin systems to place; more have (n / 200)^2 times
                                    // as many, at most 9 times
    long sampling_sweeps = 200;     // sweeps of the sampling of the probabilities
    int replicas = 4;               // independent searches (seeds seed, seed + 1, ...); the best is kept
    int threads = 1;                // threads the replicas run on; the result is the same for any number
};

struct placed_t {
    int position = -1;                  // the position of the best placement; -1 when left out
    double probability = 0.0;           // the share of the samples with it there (or left out)
    int runner_up = -1;                 // the next most probable position; -1 for none (or left out), and
                                        // for one of probability below 0.01
    double runner_up_probability = 0.0; // its share of the samples
    bool runner_up_left_out = false;    // the runner-up is to be left out of the sequence
};

struct placement_result_t {
    std::vector<placed_t> placed;              // per spin system; fixed ones at their position, probability 1
    std::vector<link_tolerance_t> tolerances;  // as measured on the spin systems
    double log_likelihood = 0.0;               // of the best placement, relative to every spin system left out
};

// The tolerances of the atoms that both some spin system's own shifts and
// some spin system's shifts of the residue before hold. Each spin system's
// shifts of the residue before are paired with the closest own shifts of
// another spin system (normalised by wide starting tolerances: 0.5 ppm for
// carbon and nitrogen, 0.05 for protons); pairs within four such tolerances
// on every atom are taken as linked, and an atom's sd is 1.4826 times the
// median absolute difference of its linked pairs (the standard deviation of
// a normal spread, robust to wrong pairs), at least 0.02 ppm (0.002 for
// protons), or the starting tolerance with fewer than 5 pairs. The
// background is the spread of the atom's own shifts over the spin systems,
// times the square root of 2 (at least ten times the sd).
std::vector<link_tolerance_t> link_tolerances(const std::vector<placement_system_t> &systems);

// Log-likelihood ratio that `after` follows `before` rather than being
// unrelated to it: over the atoms that `after`'s shifts of the residue
// before and `before`'s own shifts both hold, of the difference d,
//     log((1 - e) N(d; 0, sd) + e N(d; 0, background)) - log N(d; 0, background),
// with e = 0.05 the chance that a link's shift is wrong (a peak of another
// residue). 0 when they share no atom.
double link_score(const placement_system_t &before, const placement_system_t &after,
                  const std::vector<link_tolerance_t> &tolerances);

// The log-likelihood that place_spin_systems maximises, of the placement
// that puts spin system s at positions[s] (-1: left out); fixed spin systems
// count at their own position whatever positions says.
double placement_log_likelihood(const placement_problem_t &problem, const std::vector<int> &positions);

// The best one-to-one placement and each placement's probability.
placement_result_t place_spin_systems(const placement_problem_t &problem, const placement_settings_t &settings = {});

// The reliability class of a placement of the given probability: "strong",
// "likely", "weak" or "none" (thresholds in placement.cpp, as measured).
const char *placement_class(double probability);
