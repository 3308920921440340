// SPDX-License-Identifier: GPL-3.0-or-later
// Shifts of atoms that a type has but its statistics do not describe.
#include "observe/unmodelled_atoms.h"

#include <algorithm>
#include <limits>

#include "formats/atom_names.h"

namespace {

// True when the name stands for atoms of the type's amino acid (by the name
// rules: HB% for HB2 and HB3) of the nucleus, none of which the type's
// statistics describe.
bool is_unmodelled_atom(const type_statistics_t &type, const std::string &name, char nucleus) {
    if (name.empty()) return false;
    const std::vector<residue_atom_t> &atoms = amino_acid_atoms(type.amino_acid);
    bool named = false;
    for (int position : atoms_of_name(type.amino_acid, name)) {
        const residue_atom_t &atom = atoms[position];
        if (atom.nucleus != nucleus) continue;
        named = true;
        for (const selected_atom_t &described : type.atoms)
            if (described.name == atom.name && described.nucleus == nucleus) return false;
    }
    return named;
}

void take(const std::vector<double> &values, const std::vector<std::string> &names, char nucleus, double width,
          const type_statistics_t &type, std::vector<double> &kept, type_shifts_t &result) {
    for (std::size_t i = 0; i < values.size(); i++) {
        if (i < names.size() && is_unmodelled_atom(type, names[i], nucleus)) {
            result.unmodelled++;
            result.density /= width;
        } else {
            kept.push_back(values[i]);
        }
    }
}

}  // namespace

nucleus_widths_t nucleus_widths(const std::vector<type_statistics_t> &types) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    double low[3] = {inf, inf, inf}, high[3] = {-inf, -inf, -inf};
    for (const type_statistics_t &type : types)
        for (int p = 0; p < type.stats.atom_num; p++) {
            const char nucleus = type.stats.atom_type[p];
            const int k = nucleus == 'H' ? 0 : nucleus == 'C' ? 1 : 2;
            low[k] = std::min(low[k], type.stats.mean[p] - 3.0 * type.stats.std_dev[p]);
            high[k] = std::max(high[k], type.stats.mean[p] + 3.0 * type.stats.std_dev[p]);
        }
    // A nucleus without atoms never has shifts taken out; 1 ppm keeps the
    // width positive.
    auto width = [&](int k) { return high[k] > low[k] ? high[k] - low[k] : 1.0; };
    return {width(0), width(1), width(2)};
}

type_shifts_t shifts_for_type(const shift_values_t &shifts, const shift_names_t &names,
                              const type_statistics_t &type, const nucleus_widths_t &widths) {
    type_shifts_t result;
    take(shifts.h, names.h, 'H', widths.h, type, result.values.h, result);
    take(shifts.c, names.c, 'C', widths.c, type, result.values.c, result);
    take(shifts.n, names.n, 'N', widths.n, type, result.values.n, result);
    return result;
}
