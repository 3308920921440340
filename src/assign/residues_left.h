// SPDX-License-Identifier: GPL-3.0-or-later
// The residues of the sequence that the spin systems to predict can be:
// the sequence's residues of each type, less one for every spin system the
// file assigns to that type.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/sequence.h"
#include "formats/spin_systems.h"

struct residues_left_t {
    std::array<int, 20> in_sequence{};  // residues of each type in the sequence (AA3 order)
    std::array<int, 20> assigned{};     // spin systems the file assigns to each type, not predicted
    std::array<int, 20> left{};         // in_sequence - assigned, at least 0
    int residues = 0;                   // residues of the sequence, of any kind
    std::vector<std::string> misfits;   // what does not fit: "ALA 5 assigned, 4 in the sequence",
                                        // "A.12 assigned ALA, GLY in the sequence"
};

// `assigned_mask[s]`: spin system s keeps the type the file assigns (it is
// not predicted). An assigned spin system is looked up in the sequence by
// chain and sequence code where the sequence has codes (by code alone where
// it has no chains).
residues_left_t residues_left(const sequence_t &sequence, const std::vector<spin_system_t> &systems,
                              const std::vector<bool> &assigned_mask);
