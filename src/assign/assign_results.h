// SPDX-License-Identifier: GPL-3.0-or-later
// The records of one kestrin-assign run: what every stage found, which the
// outputs write.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "assign/assign_referencing.h"
#include "assign/scoring.h"
#include "formats/sequence.h"
#include "formats/shift_table.h"
#include "formats/spin_systems.h"
#include "prior/prior.h"

struct spin_result_t {
    spin_system_t system;                 // as read: name, chain, sequence code, type, shifts
    bool predicted = false;               // its type is predicted (unassigned, or any with --hide-types)
    int declared = -1;                    // AA3 index of the type the file assigns; -1 for none
    int shifts = 0;                       // shifts scored
    bool scored = false;                  // it had shifts to score
    type_values_t score{};                // each type's score under the model; 0 when not scored
    type_values_t prior{};                // each type's prior weight
    type_values_t probability{};          // each type's probability; all 0 without a top type
    std::array<int, 20> rank{};           // 1 for the top type; 0 without a rank (not selected, no top type)
    type_values_t observed_share{};       // the type's observable atoms that the shifts scored can fill
                                          // (per nucleus at most its atoms), over those atoms; NaN for a
                                          // type without any
    type_values_t fit{};                  // each type's fit to the shifts scored (fit/fit.h); NaN when not scored
    type_values_t farthest_sd{};          // each type's farthest shift from its nearest atom, standard deviations
    int top = -1;                         // AA3 index of the top type; -1 when none
    std::vector<std::string> flags;       // flag tokens
    std::string position;                 // where the placement puts it ("A.27"); empty when not placed
    std::string position_chain;           // that residue's chain and sequence code as the sequence writes them
    std::string position_code;
    double position_probability = 0.0;    // the probability of that position (of being left out when not placed)
    std::string runner_up;                // the next most probable position, "left out", or empty for none
    double runner_up_probability = 0.0;   // its probability
    std::string position_class;           // "strong", "likely", "weak" or "none" ("none" when left out); empty
                                          // when it took no part (assigned, not scored) or the placement did not
                                          // run
    bool place_fixed = false;             // its position is the file's assignment, kept
};

struct run_result_t {
    std::string input;                    // the shift file as named ("standard input" for -)
    shift_format_t format = shift_format_t::nef;
    std::string list_name;                // the shift list's save-frame name; empty without one
    std::string statistics;               // the statistics file as shown in outputs
    std::string atoms_file;               // its atom selection as shown in outputs
    model_t model = model_t::cfpd;
    prior_method_t prior = prior_method_t::none;  // the method the probabilities were made with
    std::string atoms_used;               // "observed: H: H; C: CA, CB; N: N (96 of 244 atoms)"
    std::optional<sequence_t> sequence;   // the sequence used; none when there is none
    std::string sequence_note;            // one line on the sequence, for the headers
    std::array<bool, 20> selected{};      // the types of the statistics
    std::vector<spin_result_t> spins;     // in file order
    bool placement = false;               // the spin systems to predict were placed in the sequence
    std::string placement_note;           // one line on the placement, for the headers
    referencing_result_t referencing;     // the offsets found or imposed, and the corrections made
};

// The selected types of a spin system in rank order, by probability, equal
// probabilities by fit, the closer first, then (and a spin system without a
// top type) in AA3 order.
std::vector<int> ranked_types(const run_result_t &run, const spin_result_t &spin);
