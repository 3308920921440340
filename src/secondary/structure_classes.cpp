// SPDX-License-Identifier: GPL-3.0-or-later
// Secondary-structure classes from the chemical-shift index.
#include "secondary/structure_classes.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>

namespace {

// The index atoms, their names (after the name rules, HA for GLY's HA2 is
// not one: GLY's alpha protons are HA2 and HA3 and take no vote), and the
// vote's thresholds: a helix-like shift lies above (sign +1) or below (-1)
// the reference by more than the threshold.
struct index_atom_t {
    const char *name;
    double threshold;  // ppm
    int helix_sign;    // +1: helix above the reference; -1: helix below
};
constexpr index_atom_t index_atoms[4] = {{"CA", 0.7, +1}, {"CB", 0.7, -1}, {"C", 0.5, +1}, {"HA", 0.1, -1}};

int index_atom_of(const spin_shift_t &shift) {
    for (int k = 0; k < 4; k++)
        if (shift.atom == index_atoms[k].name) return k;
    return -1;
}

// The residue's index: the sign of the sum of its atoms' votes.
int residue_index(const spin_system_t &system, const class_reference_t &reference, bool &voted) {
    int sum = 0;
    voted = false;
    if (system.amino_acid < 0) return 0;
    for (const spin_shift_t &shift : system.shifts) {
        const int k = index_atom_of(shift);
        if (k < 0) continue;
        const double r = reference.mean[system.amino_acid][k];
        if (std::isnan(r)) continue;
        const double d = shift.ppm - r;
        voted = true;
        if (d > index_atoms[k].threshold) sum += index_atoms[k].helix_sign;
        if (d < -index_atoms[k].threshold) sum -= index_atoms[k].helix_sign;
    }
    return (sum > 0) - (sum < 0);
}

bool whole_number(const std::string &text, long &value) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

}  // namespace

const char *structure_class_key(structure_class_t c) {
    switch (c) {
    case structure_class_t::helix: return "helix";
    case structure_class_t::sheet: return "sheet";
    case structure_class_t::coil: return "coil";
    }
    return "";
}

std::optional<structure_class_t> structure_class_of_key(const std::string &key) {
    for (structure_class_t c : structure_classes)
        if (key == structure_class_key(c)) return c;
    return std::nullopt;
}

class_reference_t::class_reference_t() {
    for (auto &row : mean) row.fill(NAN);
}

void class_reference_builder_t::add(const std::vector<spin_system_t> &systems) {
    for (const spin_system_t &system : systems) {
        if (system.amino_acid < 0) continue;
        for (const spin_shift_t &shift : system.shifts) {
            const int k = index_atom_of(shift);
            if (k < 0) continue;
            sum_[system.amino_acid][k] += shift.ppm;
            count_[system.amino_acid][k]++;
        }
    }
}

class_reference_t class_reference_builder_t::reference() const {
    class_reference_t reference;
    for (int a = 0; a < 20; a++)
        for (int k = 0; k < 4; k++)
            if (count_[a][k] > 0) reference.mean[a][k] = sum_[a][k] / count_[a][k];
    return reference;
}

std::vector<std::optional<structure_class_t>> residue_classes(const std::vector<spin_system_t> &systems,
                                                              const class_reference_t &reference) {
    // Each residue's index, by chain and sequence number.
    std::map<std::pair<std::string, long>, std::pair<int, bool>> indices;
    std::vector<long> numbers(systems.size());
    std::vector<bool> numbered(systems.size());
    for (std::size_t s = 0; s < systems.size(); s++) {
        numbered[s] = systems[s].amino_acid >= 0 && whole_number(systems[s].sequence_code, numbers[s]);
        if (!numbered[s]) continue;
        bool voted = false;
        const int index = residue_index(systems[s], reference, voted);
        indices[{systems[s].chain, numbers[s]}] = {index, voted};
    }
    std::vector<std::optional<structure_class_t>> classes(systems.size());
    for (std::size_t s = 0; s < systems.size(); s++) {
        if (!numbered[s]) continue;
        int sum = 0, voting = 0;
        for (long j = numbers[s] - 2; j <= numbers[s] + 2; j++) {
            const auto found = indices.find({systems[s].chain, j});
            if (found == indices.end() || !found->second.second) continue;
            sum += found->second.first;
            voting++;
        }
        if (voting == 0) continue;
        const double m = static_cast<double>(sum) / voting;
        classes[s] = m >= 0.5 ? structure_class_t::helix : m <= -0.5 ? structure_class_t::sheet : structure_class_t::coil;
    }
    return classes;
}
