// SPDX-License-Identifier: GPL-3.0-or-later
// Which atoms a shift file shows: the kinds of atom (per nucleus and
// position) that its spin systems hold shifts of, so that the atoms a file
// never measures do not count as missing.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "formats/spin_systems.h"

// The kind of an atom: its backbone name (H, HA, C, CA, N), or its nucleus
// and the position letter of its side chain (HB, CG, ND, NE, NZ, HH, ...).
// Read from the name without regard to case: HN is H and CO is C, every HA
// name (HA2, HA3, HA%) is HA, and a name whose second letter is one of the
// side-chain positions B, G, D, E, Z, H has that kind (CD1, HE21, HB%, NH2).
// Empty when the name shows no kind: its first letter is not its nucleus,
// or no position follows (an H1 or a C').
std::string atom_kind(const std::string &atom, char nucleus);

struct observed_kinds_t {
    std::set<std::string> kinds;  // the kinds of atom shown
    bool any_h = false;           // an H shift whose name shows no kind: every H atom counts as observable
    bool any_c = false;           // the same for C
    bool any_n = false;           // the same for N
    long systems = 0;             // the spin systems looked at
};

// The kinds of atom that the shifts of the spin systems marked in `looked_at`
// show.
observed_kinds_t observed_kinds(const std::vector<spin_system_t> &systems, const std::vector<bool> &looked_at);

// True when the atom of a type takes part: its kind is shown, or its
// nucleus is shown by a name without a kind.
bool is_observable(const observed_kinds_t &observed, const std::string &atom, char nucleus);

// The kinds per nucleus, backbone first, then by position:
// "H: H, HA; C: CA, CB; N: N"; "H: any" for a nucleus shown by a name without
// a kind; "none" when nothing is shown.
std::string describe_kinds(const observed_kinds_t &observed);
