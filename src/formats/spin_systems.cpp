// SPDX-License-Identifier: GPL-3.0-or-later
// Grouping rows into spin systems: the row filters, the name rules, repeated
// atoms, the atom selection and the order of what is written.
#include "formats/spin_systems.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "formats/atom_names.h"
#include "formats/format_error.h"
#include "input/records.h"

namespace {

bool one_letter_codes(shift_format_t format) {
    return format == shift_format_t::sparky || format == shift_format_t::talos;
}

std::string upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The nucleus that the row's element and isotope columns state: 'H', 'C',
// 'N'; 0 when they state nothing; '?' for any other element or isotope.
char stated_nucleus(const shift_row_t &row) {
    static const std::pair<char, const char *> isotopes[] = {{'H', "1"}, {'C', "13"}, {'N', "15"}};
    char nucleus = 0;
    if (!row.element.empty()) {
        const std::string element = upper(row.element);
        if (element != "H" && element != "C" && element != "N") return '?';
        nucleus = element[0];
    }
    if (!row.isotope.empty()) {
        for (const auto &[element, mass] : isotopes)
            if (row.isotope == mass && (nucleus == 0 || nucleus == element)) return element;
        return '?';
    }
    return nucleus;
}

int nucleus_rank(char nucleus) { return nucleus == 'H' ? 0 : nucleus == 'C' ? 1 : 2; }

struct building_shift_t {
    spin_shift_t shift;
    long order;       // place within its nucleus: atom position, or arrival for unknown types
    std::size_t row;  // the row it came from, in file order
};

struct building_system_t {
    spin_system_t system;
    std::vector<building_shift_t> shifts;
    std::unordered_map<std::string, std::size_t> atoms;  // nucleus and atom name → shifts
    std::size_t first_row = 0;                           // the first row that named it, in file order
};

std::string residue_place(const shift_row_t &row) {
    return (row.chain.empty() ? std::string() : "chain " + quoted_for_message(row.chain) + ", ") + "residue " +
           quoted_for_message(row.sequence_code);
}

class grouper_t {
public:
    grouper_t(shift_format_t format, const atom_selection_t *selection) : format_(format), selection_(selection) {}

    void add(const shift_row_t &row, std::size_t index) {
        if (row.null_identifier) {
            out_.null_identifier_rows++;
            return;
        }
        if (is_neighbour_sequence_code(row.sequence_code) || is_neighbour_atom_name(row.atom_name)) {
            out_.neighbour_rows++;
            keep_previous(row);
            return;
        }
        if (is_uncertain_identifier(row.chain) || is_uncertain_identifier(row.sequence_code) ||
            is_uncertain_identifier(row.residue_name) || is_uncertain_atom_name(row.atom_name)) {
            out_.uncertain_rows++;
            return;
        }
        check_one_residue_name(row);
        int amino_acid = -1;
        if (row.residue_name != ".") {
            amino_acid = amino_acid_of_name(row.residue_name, one_letter_codes(format_));
            if (amino_acid < 0) {
                out_.other_residue_rows++;
                out_.other_residues[row.residue_name]++;
                return;
            }
        }
        building_system_t &system = system_of(row, amino_acid, index);
        if (row.value.empty()) {
            out_.missing_value_rows++;
            return;
        }
        if (!is_decimal_number(row.value))
            throw format_error(row.line, "the shift '" + quoted_for_message(row.value) + "' is not a number");
        const char stated = stated_nucleus(row);
        if (stated == '?') {
            out_.other_nucleus_rows++;
            return;
        }
        // The shifts of a kestrin spin-system file name no atom, whatever
        // type the spin system declares.
        if (amino_acid >= 0 && format_ != shift_format_t::kestrin)
            add_atoms(system, row, index, stated);
        else
            add_unknown_type_atom(system, row, index, stated);
    }

    spin_grouping_t finish() {
        spin_grouping_t grouping;
        std::map<std::string, bool> all_unassigned;  // chain code → none of its spin systems is assigned
        for (const building_system_t &building : systems_)
            if (building.system.chain.compare(0, 1, "#") == 0) {
                const auto at = all_unassigned.try_emplace(building.system.chain, true).first;
                at->second = at->second && building.system.amino_acid < 0;
            }
        std::vector<std::pair<std::size_t, spin_system_t>> kept, empty;
        for (building_system_t &building : systems_) {
            if (building.shifts.empty()) {
                out_.empty_spin_systems++;
                empty.emplace_back(building.first_row, std::move(building.system));
                continue;
            }
            std::stable_sort(building.shifts.begin(), building.shifts.end(),
                             [](const building_shift_t &a, const building_shift_t &b) {
                                 const int ra = nucleus_rank(a.shift.nucleus), rb = nucleus_rank(b.shift.nucleus);
                                 return ra != rb ? ra < rb : a.order < b.order;
                             });
            std::size_t first = building.shifts[0].row;
            long line = building.shifts[0].shift.line;
            for (building_shift_t &shift : building.shifts) {
                if (shift.row < first) {
                    first = shift.row;
                    line = shift.shift.line;
                }
                building.system.shifts.push_back(std::move(shift.shift));
            }
            building.system.line = line;
            kept.emplace_back(first, std::move(building.system));
        }
        grouping.connected = connected_stretches(kept, all_unassigned);
        std::stable_sort(kept.begin(), kept.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (auto &entry : kept) grouping.systems.push_back(std::move(entry.second));
        // Each empty spin system's place among the kept ones, by the first row of each.
        std::size_t before = 0;
        for (auto &entry : empty) {
            while (before < kept.size() && kept[before].first < entry.first) before++;
            grouping.empty_systems.push_back(std::move(entry.second));
            grouping.empty_before.push_back(before);
        }
        grouping.left_out = out_;
        grouping.out_of_range_values = out_of_range_;
        grouping.conflicting_values = conflicting_;
        return grouping;
    }

private:
    // A row of the residue before a spin system (@13-1, 48-1, or the atom
    // name CAi-1) is kept with that spin system, its name as for a residue
    // of unknown type; rows of other offsets, rows naming an offset twice,
    // and values that are no shift of their nucleus stay left out.
    void keep_previous(const shift_row_t &row) {
        std::string code = row.sequence_code, atom = row.atom_name;
        const bool by_code = is_neighbour_sequence_code(code), by_atom = is_neighbour_atom_name(atom);
        if (by_code == by_atom) return;
        std::string &marked = by_code ? code : atom;
        const std::size_t sign = marked.find_last_of("+-");
        if (marked.compare(sign, std::string::npos, "-1") != 0) return;
        marked.erase(by_code ? sign : sign - 1);
        atom = unknown_residue_atom_name(atom);
        const char nucleus = atom.empty() ? 0 : atom[0];
        if (nucleus != 'H' && nucleus != 'C' && nucleus != 'N') return;
        const char stated = stated_nucleus(row);
        if ((stated != 0 && stated != nucleus) || row.value.empty() || !is_decimal_number(row.value)) return;
        const double ppm = strtod(row.value.c_str(), nullptr);
        const shift_range_t &range = shift_range(nucleus);
        if (ppm < range.lowest || ppm > range.highest) return;
        std::vector<spin_shift_t> &shifts = previous_[row.chain + '\n' + code];
        for (const spin_shift_t &shift : shifts)
            if (shift.atom == atom && shift.nucleus == nucleus) return;
        shifts.push_back({atom, nucleus, row.value, ppm, row.line});
    }

    // Each NEF chain of unassigned spin systems whose code begins with '#',
    // its spin systems in the order the file first names them.
    std::vector<connected_stretch_t> connected_stretches(std::vector<std::pair<std::size_t, spin_system_t>> &kept,
                                                         const std::map<std::string, bool> &all_unassigned) {
        std::vector<connected_stretch_t> stretches;
        for (auto &entry : kept) {
            spin_system_t &system = entry.second;
            const auto found = previous_.find(system.chain + '\n' + system.sequence_code);
            if (found != previous_.end()) system.previous = found->second;
        }
        if (format_ != shift_format_t::nef) return stretches;
        std::vector<std::pair<std::size_t, const spin_system_t *>> ordered;
        for (const auto &entry : kept) ordered.emplace_back(entry.first, &entry.second);
        std::stable_sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &entry : ordered) {
            const spin_system_t *system = entry.second;
            const auto chain = all_unassigned.find(system->chain);
            if (chain == all_unassigned.end() || !chain->second) continue;
            auto stretch = std::find_if(stretches.begin(), stretches.end(),
                                        [&](const connected_stretch_t &s) { return s.chain == system->chain; });
            if (stretch == stretches.end()) stretch = stretches.insert(stretches.end(), {system->chain, {}});
            stretch->labels.push_back(system->label);
        }
        return stretches;
    }

    // One spin system carries one residue name, whatever its case.
    void check_one_residue_name(const shift_row_t &row) {
        const auto [named, fresh] = names_.try_emplace(key_of(row), upper(row.residue_name), row.line);
        if (!fresh && named->second.first != upper(row.residue_name))
            throw format_error(row.line, residue_place(row) + " is named '" + quoted_for_message(row.residue_name) +
                                             "' here but '" + quoted_for_message(named->second.first) +
                                             "' on line " + std::to_string(named->second.second));
    }

    static std::string key_of(const shift_row_t &row) { return row.chain + '\n' + row.sequence_code; }

    building_system_t &system_of(const shift_row_t &row, int amino_acid, std::size_t index) {
        const auto [found, fresh] = index_.try_emplace(key_of(row), systems_.size());
        if (fresh) {
            building_system_t building;
            spin_system_t &system = building.system;
            system.chain = row.chain;
            system.sequence_code = row.sequence_code;
            system.label = spin_system_label(row.chain, row.sequence_code, format_);
            system.residue_name = row.residue_name;
            system.amino_acid = amino_acid;
            system.line = row.line;
            building.first_row = index;
            systems_.push_back(std::move(building));
        }
        return systems_[found->second];
    }

    void add_atoms(building_system_t &system, const shift_row_t &row, std::size_t index, char stated) {
        const int amino_acid = system.system.amino_acid;
        const std::vector<int> atoms = atoms_of_name(amino_acid, row.atom_name);
        if (atoms.empty()) {
            out_.unknown_atom_rows++;
            out_.unknown_atoms[std::string(AA3[amino_acid]) + " " + row.atom_name]++;
            return;
        }
        const std::vector<residue_atom_t> &dictionary = amino_acid_atoms(amino_acid);
        if (stated != 0 && stated != dictionary[atoms[0]].nucleus) {
            out_.contradicting_rows++;
            return;
        }
        if (!within_range(system, row, dictionary[atoms[0]].nucleus)) return;
        for (int atom : atoms) {
            const residue_atom_t &known = dictionary[atom];
            long order = atom;
            if (selection_ != nullptr) {
                order = selected_position(*selection_, amino_acid, known.name, known.nucleus);
                if (order < 0) {
                    out_.unselected_shifts++;
                    continue;
                }
            }
            add_shift(system, row, index, known.name, known.nucleus, order);
        }
    }

    void add_unknown_type_atom(building_system_t &system, const shift_row_t &row, std::size_t index, char stated) {
        const std::string name = unknown_residue_atom_name(row.atom_name);
        const char nucleus = name.empty() ? 0 : name[0];
        if (stated != 0 && stated != nucleus) {
            out_.contradicting_rows++;
            return;
        }
        if (nucleus != 'H' && nucleus != 'C' && nucleus != 'N') {
            out_.other_nucleus_rows++;
            return;
        }
        if (!within_range(system, row, nucleus)) return;
        add_shift(system, row, index, name, nucleus, static_cast<long>(system.shifts.size()));
    }

    // Counts the row as left out when its shift lies outside its nucleus's
    // range, and keeps the value with its spin system's name.
    bool within_range(const building_system_t &system, const shift_row_t &row, char nucleus) {
        const shift_range_t &range = shift_range(nucleus);
        const double ppm = strtod(row.value.c_str(), nullptr);
        if (ppm >= range.lowest && ppm <= range.highest) return true;
        out_.out_of_range_rows++;
        out_of_range_[system.system.label].push_back(std::string(1, nucleus) + "=" + row.value);
        return false;
    }

    void add_shift(building_system_t &system, const shift_row_t &row, std::size_t index, const std::string &atom,
                   char nucleus, long order) {
        const double ppm = strtod(row.value.c_str(), nullptr);
        const auto [present, fresh] = system.atoms.try_emplace(nucleus + atom, system.shifts.size());
        if (!fresh) {
            if (system.shifts[present->second].shift.ppm == ppm) {
                out_.merged_shifts++;
            } else {
                out_.conflicting_shifts++;
                conflicting_[system.system.label].push_back(atom + "=" + row.value);
            }
            return;
        }
        system.shifts.push_back({{atom, nucleus, row.value, ppm, row.line}, order, index});
    }

    shift_format_t format_;
    const atom_selection_t *selection_;
    std::vector<building_system_t> systems_;
    std::unordered_map<std::string, std::size_t> index_;                   // chain and code → systems_
    std::unordered_map<std::string, std::pair<std::string, long>> names_;  // chain and code → name, line
    left_out_t out_;
    std::map<std::string, std::vector<std::string>> out_of_range_;  // spin-system name → "C=9999.0", ...
    std::unordered_map<std::string, std::vector<spin_shift_t>> previous_;  // chain and code → shifts of the
                                                                          // residue before
    std::map<std::string, std::vector<std::string>> conflicting_;   // spin-system name → "CA=54.20", ...
};

}  // namespace

std::string spin_system_label(const std::string &chain, const std::string &sequence_code, shift_format_t format) {
    const bool code_alone = sequence_code.find('.') == std::string::npos &&
                            (format == shift_format_t::nef ? chain == "@-" && sequence_code.compare(0, 1, "@") == 0
                                                           : chain.empty());
    if (code_alone) return sequence_code;
    std::string label;
    for (char c : chain) {
        if (c == '.' || c == '\\') label += '\\';
        label += c;
    }
    return label + "." + sequence_code;
}

const shift_range_t &shift_range(char nucleus) {
    static const shift_range_t ranges[] = {{'H', -50.0, 100.0}, {'C', -50.0, 350.0}, {'N', -50.0, 500.0}};
    return ranges[nucleus == 'H' ? 0 : nucleus == 'C' ? 1 : 2];
}

bool is_decimal_number(const std::string &text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) i++;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) i++, digits++;
    if (i < text.size() && text[i] == '.') {
        i++;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) i++, digits++;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        i++;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) i++;
        std::size_t exponent = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) i++, exponent++;
        if (exponent == 0) return false;
    }
    return i == text.size() && std::isfinite(strtod(text.c_str(), nullptr));
}

bool lists_protein_residues(const shift_list_t &list, shift_format_t format) {
    for (const shift_row_t &row : list.rows)
        if (row.residue_name == "." || amino_acid_of_name(row.residue_name, one_letter_codes(format)) >= 0)
            return true;
    return false;
}

std::optional<std::size_t> first_protein_list(const shift_file_t &file) {
    for (std::size_t i = 0; i < file.lists.size(); i++)
        if (lists_protein_residues(file.lists[i], file.format)) return i;
    return std::nullopt;
}

spin_grouping_t group_spin_systems(const shift_list_t &list, shift_format_t format,
                                   const atom_selection_t *selection) {
    grouper_t grouper(format, selection);
    for (std::size_t i = 0; i < list.rows.size(); i++) grouper.add(list.rows[i], i);
    return grouper.finish();
}
