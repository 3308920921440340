// SPDX-License-Identifier: GPL-3.0-or-later
// The atom dictionary of the 20 amino acids and the name rules.
#include "formats/atom_names.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>

#include "input/records.h"

namespace {

// Per amino acid in AA3 order: its atoms in output order, a trailing '*'
// marking a methyl group.
const char *const atom_lists[20] = {
    "H HA HB* C CA CB N",                                                                      // ALA
    "H HA HB2 HB3 HG2 HG3 HD2 HD3 HE HH11 HH12 HH21 HH22 C CA CB CG CD CZ N NE NH1 NH2",     // ARG
    "H HA HB2 HB3 HD2 C CA CB CG N",                                                           // ASP
    "H HA HB2 HB3 HD21 HD22 C CA CB CG N ND2",                                                 // ASN
    "H HA HB2 HB3 HG C CA CB N",                                                               // CYS
    "H HA HB2 HB3 HG2 HG3 HE2 C CA CB CG CD N",                                                // GLU
    "H HA HB2 HB3 HG2 HG3 HE21 HE22 C CA CB CG CD N NE2",                                      // GLN
    "H HA2 HA3 C CA N",                                                                        // GLY
    "H HA HB2 HB3 HD1 HD2 HE1 HE2 C CA CB CG CD2 CE1 N ND1 NE2",                               // HIS
    "H HA HB HG12 HG13 HG2* HD1* C CA CB CG1 CG2 CD1 N",                                       // ILE
    "H HA HB2 HB3 HG HD1* HD2* C CA CB CG CD1 CD2 N",                                          // LEU
    "H HA HB2 HB3 HG2 HG3 HD2 HD3 HE2 HE3 HZ1 HZ2 HZ3 C CA CB CG CD CE N NZ",                 // LYS
    "H HA HB2 HB3 HG2 HG3 HE* C CA CB CG CE N",                                                // MET
    "H HA HB2 HB3 HD1 HD2 HE1 HE2 HZ C CA CB CG CD1 CD2 CE1 CE2 CZ N",                         // PHE
    "HA HB2 HB3 HG2 HG3 HD2 HD3 C CA CB CG CD N",                                              // PRO
    "H HA HB2 HB3 HG C CA CB N",                                                               // SER
    "H HA HB HG1 HG2* C CA CB CG2 N",                                                          // THR
    "H HA HB2 HB3 HD1 HE1 HE3 HZ2 HZ3 HH2 C CA CB CG CD1 CD2 CE2 CE3 CZ2 CZ3 CH2 N NE1",       // TRP
    "H HA HB2 HB3 HD1 HD2 HE1 HE2 HH C CA CB CG CD1 CD2 CE1 CE2 CZ N",                         // TYR
    "H HA HB HG1* HG2* C CA CB CG1 CG2 N",                                                     // VAL
};

std::vector<std::vector<residue_atom_t>> make_dictionary() {
    std::vector<std::vector<residue_atom_t>> dictionary(20);
    for (int a = 0; a < 20; a++) {
        std::istringstream words(atom_lists[a]);
        std::string word;
        while (words >> word) {
            const bool methyl = word.back() == '*';
            if (methyl) word.pop_back();
            dictionary[a].push_back({word, word[0], methyl});
        }
    }
    return dictionary;
}

const std::vector<std::vector<residue_atom_t>> &dictionary() {
    static const std::vector<std::vector<residue_atom_t>> atoms = make_dictionary();
    return atoms;
}

bool is_wildcard(char c) { return c == '%' || c == '#' || c == '*'; }

bool all_digits(const std::string &text, std::size_t from) {
    if (from >= text.size()) return false;
    for (std::size_t i = from; i < text.size(); i++)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

bool ends_with(const std::string &text, char c) { return !text.empty() && text.back() == c; }

// The names an atom answers to: its own, and for a methyl its protons'.
std::vector<std::string> answer_names(const residue_atom_t &atom) {
    if (!atom.methyl) return {atom.name};
    return {atom.name, atom.name + "1", atom.name + "2", atom.name + "3"};
}

// Every atom with a name (or a proton's name) of the prefix followed by digits.
std::vector<int> wildcard_atoms(const std::vector<residue_atom_t> &atoms, const std::string &prefix) {
    std::vector<int> found;
    for (std::size_t i = 0; i < atoms.size(); i++)
        for (const std::string &name : answer_names(atoms[i]))
            if (name.compare(0, prefix.size(), prefix) == 0 && all_digits(name, prefix.size())) {
                found.push_back(static_cast<int>(i));
                break;
            }
    return found;
}

int atom_named(const std::vector<residue_atom_t> &atoms, const std::string &name) {
    for (std::size_t i = 0; i < atoms.size(); i++)
        if (atoms[i].name == name) return static_cast<int>(i);
    return -1;
}

// The methyl groups named H<rest> or H<rest> followed by digits.
std::vector<int> methyls_under(const std::vector<residue_atom_t> &atoms, const std::string &group) {
    std::vector<int> found;
    for (std::size_t i = 0; i < atoms.size(); i++)
        if (atoms[i].methyl && atoms[i].name.compare(0, group.size(), group) == 0 &&
            (atoms[i].name.size() == group.size() || all_digits(atoms[i].name, group.size())))
            found.push_back(static_cast<int>(i));
    return found;
}

// Replaces a stereo partner letter (HBx, HGx%) by the lowest (x) or second-
// lowest (y) digit that names of the prefix plus one digit carry; false
// when the amino acid has no such partner.
bool resolve_partner(const std::vector<residue_atom_t> &atoms, std::string &name) {
    std::size_t at = name.size();
    if (at > 0 && is_wildcard(name[at - 1])) at--;
    if (at < 2 || (name[at - 1] != 'x' && name[at - 1] != 'y')) return true;
    const std::string prefix = name.substr(0, at - 1);
    std::set<char> digits;
    for (const residue_atom_t &atom : atoms)
        for (const std::string &candidate : answer_names(atom))
            if (candidate.size() == prefix.size() + 1 && candidate.compare(0, prefix.size(), prefix) == 0 &&
                std::isdigit(static_cast<unsigned char>(candidate.back())))
                digits.insert(candidate.back());
    const std::size_t rank = name[at - 1] == 'x' ? 0 : 1;
    if (digits.size() <= rank) return false;
    name[at - 1] = *std::next(digits.begin(), static_cast<long>(rank));
    return true;
}

}  // namespace

int amino_acid_of_name(const std::string &name, bool one_letter_codes) {
    std::string upper = name;
    for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int a = 0; a < 20; a++) {
        if (upper == AA3[a]) return a;
        if (one_letter_codes && upper.size() == 1 && upper[0] == AA1[a]) return a;
    }
    return -1;
}

const std::vector<residue_atom_t> &amino_acid_atoms(int amino_acid) { return dictionary().at(amino_acid); }

std::vector<int> atoms_of_name(int amino_acid, const std::string &written) {
    const std::vector<residue_atom_t> &atoms = amino_acid_atoms(amino_acid);
    std::string name = written == "HN" ? "H" : written;
    static const int isoleucine = amino_acid_of_name("ILE", false);
    if (amino_acid == isoleucine && (name == "CD" || name == "HD")) name += "1";  // older names

    if (name.size() > 2 && name.compare(0, 2, "QQ") == 0) {
        name = "H" + name.substr(2) + "%";
    } else if (name.size() > 1 && name[0] == 'Q') {
        name = "H" + name.substr(1) + "%";
    } else if (name.size() > 1 && name[0] == 'M') {
        return methyls_under(atoms, "H" + name.substr(1));
    }
    if (!resolve_partner(atoms, name)) return {};

    if (is_wildcard(name.back())) {
        const std::string prefix = name.substr(0, name.size() - 1);
        std::vector<int> found = wildcard_atoms(atoms, prefix);
        if (found.empty() && atom_named(atoms, prefix) >= 0) found.push_back(atom_named(atoms, prefix));
        return found;
    }
    for (std::size_t i = 0; i < atoms.size(); i++)
        for (const std::string &candidate : answer_names(atoms[i]))
            if (candidate == name) return {static_cast<int>(i)};
    return {};
}

std::string unknown_residue_atom_name(const std::string &name) {
    if (name == "HN") return "H";
    if (name.size() > 2 && name.compare(0, 2, "QQ") == 0) return "H" + name.substr(2) + "%";
    if (name.size() > 1 && (name[0] == 'Q' || name[0] == 'M')) return "H" + name.substr(1) + "%";
    return name;
}

bool is_uncertain_atom_name(const std::string &name) {
    return name.find('|') != std::string::npos || name.find('@') != std::string::npos || ends_with(name, '?');
}

bool is_uncertain_identifier(const std::string &identifier) { return ends_with(identifier, '?'); }

bool is_neighbour_sequence_code(const std::string &code) {
    const std::size_t sign = code.find_last_of("+-");
    return sign != std::string::npos && sign > 0 && all_digits(code, sign + 1);
}

bool is_neighbour_atom_name(const std::string &name) {
    const std::size_t sign = name.find_last_of("+-");
    return sign != std::string::npos && sign > 0 && name[sign - 1] == 'i' && all_digits(name, sign + 1);
}
