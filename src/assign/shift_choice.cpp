// SPDX-License-Identifier: GPL-3.0-or-later
// The shifts of a spin system that are scored.
#include "assign/shift_choice.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include "formats/atom_names.h"
#include "observe/observed_atoms.h"

namespace {

const std::vector<std::pair<double, double>> &atoms_of_nucleus(const shift_ranges_t &ranges, char nucleus) {
    return nucleus == 'H' ? ranges.h : nucleus == 'C' ? ranges.c : ranges.n;
}

const type_statistics_t *type_of(const std::vector<type_statistics_t> &types, int amino_acid) {
    for (const type_statistics_t &type : types)
        if (type.amino_acid == amino_acid) return &type;
    return nullptr;
}

bool type_has_atom(const type_statistics_t &type, const spin_shift_t &shift) {
    for (const selected_atom_t &atom : type.atoms)
        if (atom.name == shift.atom && atom.nucleus == shift.nucleus) return true;
    return false;
}

void add_value(shift_values_t &values, const spin_shift_t &shift) {
    (shift.nucleus == 'H' ? values.h : shift.nucleus == 'C' ? values.c : values.n).push_back(shift.ppm);
}

void add_name(shift_names_t &names, const spin_shift_t &shift) {
    (shift.nucleus == 'H' ? names.h : shift.nucleus == 'C' ? names.c : names.n).push_back(shift.atom);
}

// True when the name is an atom, of the shift's nucleus, of one of the 20
// amino acids.
bool is_atom_of_some_type(const spin_shift_t &shift) {
    for (int amino_acid = 0; amino_acid < 20; amino_acid++) {
        const std::vector<residue_atom_t> &atoms = amino_acid_atoms(amino_acid);
        for (int position : atoms_of_name(amino_acid, shift.atom))
            if (atoms[position].nucleus == shift.nucleus) return true;
    }
    return false;
}

// A name of letters and digits only, without wildcards or other marks.
bool is_plain_name(const std::string &name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

shift_ranges_t shift_ranges(const std::vector<type_statistics_t> &types) {
    shift_ranges_t ranges;
    for (const type_statistics_t &type : types)
        for (int p = 0; p < type.stats.atom_num; p++) {
            const std::pair<double, double> atom(type.stats.mean[p], type.stats.std_dev[p]);
            const char nucleus = type.stats.atom_type[p];
            (nucleus == 'H' ? ranges.h : nucleus == 'C' ? ranges.c : ranges.n).push_back(atom);
        }
    return ranges;
}

bool is_impossible_value(const shift_ranges_t &ranges, char nucleus, double ppm) {
    const std::vector<std::pair<double, double>> &atoms = atoms_of_nucleus(ranges, nucleus);
    if (atoms.empty()) return false;
    for (const auto &[mean, sd] : atoms)
        if (std::fabs(ppm - mean) <= impossible_value_sds * std::max(sd, impossible_value_least_sd)) return false;
    return true;
}

chosen_shifts_t choose_shifts(const spin_system_t &system, const std::vector<type_statistics_t> &used,
                              const shift_ranges_t &ranges, bool type_known) {
    chosen_shifts_t chosen;
    const bool by_own_type = type_known && system.amino_acid >= 0;
    const type_statistics_t *own = by_own_type ? type_of(used, system.amino_acid) : nullptr;
    std::set<std::string> used_kinds;
    std::set<std::pair<std::string, char>> used_names;
    for (const type_statistics_t &type : used)
        for (const selected_atom_t &atom : type.atoms) {
            used_kinds.insert(atom_kind(atom.name, atom.nucleus));
            used_names.insert({atom.name, atom.nucleus});
        }
    for (const spin_shift_t &shift : system.shifts) {
        if (is_impossible_value(ranges, shift.nucleus, shift.ppm)) {
            chosen.impossible.push_back(std::string(1, shift.nucleus) + "=" + shift.value);
            continue;
        }
        bool takes_part;
        if (by_own_type) {
            takes_part = own == nullptr || type_has_atom(*own, shift);
        } else {
            // The type is to be predicted: nothing about the declared type
            // may decide which shifts count. A shift of a kind some type
            // uses counts, unless its name is a plain atom name (letters
            // and digits) that no type's statistics hold and that is no atom
            // of any amino acid. An atom of some amino acid that the
            // statistics leave out (an amide proton of ASN) counts with its
            // name: the type that has it takes it out of its own scoring
            // (observe/unmodelled_atoms.h), the others match it by kind.
            const std::string kind = atom_kind(shift.atom, shift.nucleus);
            takes_part = kind.empty() || used_kinds.count(kind) > 0;
            if (takes_part && !kind.empty() && is_plain_name(shift.atom) &&
                used_names.count({shift.atom, shift.nucleus}) == 0 && !is_atom_of_some_type(shift)) {
                takes_part = false;
                chosen.unheld_names++;
                continue;
            }
        }
        if (takes_part) {
            add_value(chosen.values, shift);
            if (!by_own_type) add_name(chosen.names, shift);
        }
        else
            chosen.not_taking_part++;
    }
    return chosen;
}
