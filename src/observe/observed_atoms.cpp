// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of atom a file shows, and the atoms of a type that take part.
#include "observe/observed_atoms.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Side-chain positions, in the order of the side chain: beta to eta.
const char side_chain_positions[] = "BGDEZH";

std::string upper(const std::string &text) {
    std::string up = text;
    for (char &c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return up;
}

// Where a kind stands among the kinds of its nucleus: the backbone names
// first (H, HA; C, CA; N), then the positions from beta to eta.
int kind_order(const std::string &kind) {
    if (kind.size() == 1) return 0;
    if (kind[1] == 'A') return 1;
    const char *position = std::strchr(side_chain_positions, kind[1]);
    return 2 + static_cast<int>(position - side_chain_positions);
}

bool shows_every_atom(const observed_kinds_t &observed, char nucleus) {
    return nucleus == 'H' ? observed.any_h : nucleus == 'C' ? observed.any_c : nucleus == 'N' && observed.any_n;
}

}  // namespace

std::string atom_kind(const std::string &atom, char nucleus) {
    const std::string name = upper(atom);
    if (name.empty() || name[0] != nucleus) return "";
    if (name == "H" || name == "HN") return "H";
    if (name == "C" || name == "CO") return "C";
    if (name == "N") return "N";
    if (name.size() < 2) return "";
    if ((nucleus == 'H' || nucleus == 'C') && name[1] == 'A') {
        // CA is one atom; HA also names the two alpha protons of glycine (HA2, HA3).
        return nucleus == 'H' || name.size() == 2 ? std::string(1, nucleus) + "A" : "";
    }
    if (std::strchr(side_chain_positions, name[1]) != nullptr) return std::string(1, nucleus) + name[1];
    return "";
}

observed_kinds_t observed_kinds(const std::vector<spin_system_t> &systems, const std::vector<bool> &looked_at) {
    observed_kinds_t observed;
    for (std::size_t s = 0; s < systems.size(); s++) {
        if (!looked_at[s]) continue;
        observed.systems++;
        for (const spin_shift_t &shift : systems[s].shifts) {
            const std::string kind = atom_kind(shift.atom, shift.nucleus);
            if (!kind.empty())
                observed.kinds.insert(kind);
            else if (shift.nucleus == 'H')
                observed.any_h = true;
            else if (shift.nucleus == 'C')
                observed.any_c = true;
            else if (shift.nucleus == 'N')
                observed.any_n = true;
        }
    }
    return observed;
}

bool is_observable(const observed_kinds_t &observed, const std::string &atom, char nucleus) {
    if (shows_every_atom(observed, nucleus)) return true;
    const std::string kind = atom_kind(atom, nucleus);
    return !kind.empty() && observed.kinds.count(kind) > 0;
}

std::string describe_kinds(const observed_kinds_t &observed) {
    std::string text;
    for (const char nucleus : {'H', 'C', 'N'}) {
        std::string kinds;
        if (shows_every_atom(observed, nucleus)) {
            kinds = "any";
        } else {
            std::vector<std::string> shown;
            for (const std::string &kind : observed.kinds)
                if (kind[0] == nucleus) shown.push_back(kind);
            std::stable_sort(shown.begin(), shown.end(),
                             [](const std::string &a, const std::string &b) { return kind_order(a) < kind_order(b); });
            for (const std::string &kind : shown) kinds += (kinds.empty() ? "" : ", ") + kind;
        }
        if (!kinds.empty()) text += (text.empty() ? "" : "; ") + std::string(1, nucleus) + ": " + kinds;
    }
    return text.empty() ? "none" : text;
}
