// SPDX-License-Identifier: GPL-3.0-or-later
// From a kestrin-assign run to a placement problem and back.
#include "assign/placement_run.h"

#include <cstdio>
#include <map>

#include "assign/shift_choice.h"
#include "observe/observed_atoms.h"
#include "placement/placement.h"

namespace {

// The atoms whose shifts links compare: those the shifts of the residue
// before can hold.
bool links_atom(const std::string &atom) {
    return atom == "CA" || atom == "CB" || atom == "C" || atom == "HA" || atom == "N" || atom == "H";
}

std::vector<link_shift_t> link_shifts(const std::vector<spin_shift_t> &shifts) {
    std::vector<link_shift_t> links;
    for (const spin_shift_t &shift : shifts)
        if (links_atom(shift.atom)) links.push_back({shift.atom, shift.ppm});
    return links;
}

// Each type's share of the scores; all 0 when none scores.
std::array<double, 20> shares(const type_values_t &score) {
    std::array<double, 20> share{};
    double total = 0.0;
    for (int t = 0; t < 20; t++) total += score[t];
    if (total > 0.0)
        for (int t = 0; t < 20; t++) share[t] = score[t] / total;
    return share;
}

std::string position_name(const sequence_residue_t &residue, std::size_t index, shift_format_t format) {
    const std::string code = residue.sequence_code.empty() ? std::to_string(index + 1) : residue.sequence_code;
    return spin_system_label(residue.chain, code, format == shift_format_t::nef ? format : shift_format_t::nmrstar);
}

std::string ppm(double value) {
    char text[32];
    snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

void place_run(run_result_t &run, const std::vector<connected_stretch_t> &connected,
               const std::vector<type_statistics_t> &types, int threads, std::string &messages) {
    if (!run.sequence) return;
    const std::vector<sequence_residue_t> &residues = run.sequence->residues;
    placement_problem_t problem;
    std::map<std::pair<std::string, std::string>, int> position_of;
    for (std::size_t p = 0; p < residues.size(); p++) {
        problem.residues.push_back(residues[p].amino_acid);
        problem.follows.push_back(p > 0 && residues[p - 1].chain == residues[p].chain);
        if (!residues[p].sequence_code.empty())
            position_of.try_emplace({residues[p].chain, residues[p].sequence_code}, static_cast<int>(p));
    }

    // The spin systems that take part: those to predict that were scored,
    // and the assigned ones at a residue of the sequence.
    std::vector<int> system_of_spin(run.spins.size(), -1);
    std::vector<std::size_t> spin_of_system;
    std::vector<bool> taken(residues.size());
    for (std::size_t s = 0; s < run.spins.size(); s++) {
        const spin_result_t &spin = run.spins[s];
        placement_system_t system;
        if (spin.predicted) {
            if (!spin.scored || spin.top < 0) continue;
            system.type_share = shares(spin.score);
        } else {
            const auto found = position_of.find({spin.system.chain, spin.system.sequence_code});
            if (found == position_of.end() || taken[found->second]) continue;
            system.fixed = found->second;
            taken[found->second] = true;
        }
        system.shifts = link_shifts(spin.system.shifts);
        system.previous = link_shifts(spin.system.previous);
        system_of_spin[s] = static_cast<int>(problem.systems.size());
        spin_of_system.push_back(s);
        problem.systems.push_back(std::move(system));
    }

    // The type of the residue before, from the shifts seen for it, scored
    // with the atoms those shifts show.
    std::vector<spin_system_t> before;
    std::vector<int> before_of;
    for (std::size_t k = 0; k < problem.systems.size(); k++) {
        const spin_result_t &spin = run.spins[spin_of_system[k]];
        if (problem.systems[k].fixed >= 0 || spin.system.previous.empty()) continue;
        spin_system_t system;
        system.label = spin.system.label;
        system.amino_acid = -1;
        system.shifts = spin.system.previous;
        before.push_back(std::move(system));
        before_of.push_back(static_cast<int>(k));
    }
    if (!before.empty()) {
        const observed_kinds_t kinds = observed_kinds(before, std::vector<bool>(before.size(), true));
        const std::vector<type_statistics_t> used = restricted_statistics(
            types, [&](int, const selected_atom_t &atom) { return is_observable(kinds, atom.name, atom.nucleus); });
        const shift_ranges_t ranges = shift_ranges(types);
        std::vector<shift_values_t> values;
        std::vector<int> scored_of;
        for (std::size_t i = 0; i < before.size(); i++) {
            const chosen_shifts_t chosen = choose_shifts(before[i], used, ranges, false);
            if (chosen.values.count() == 0) continue;
            values.push_back(chosen.values);
            scored_of.push_back(before_of[i]);
        }
        const std::vector<type_values_t> scores = score_spin_systems(values, used, run.model, threads);
        for (std::size_t i = 0; i < scores.size(); i++) problem.systems[scored_of[i]].previous_share = shares(scores[i]);
    }

    // The file's stretches, split where a spin system takes no part.
    std::map<std::string, std::size_t> spin_named;
    for (std::size_t s = 0; s < run.spins.size(); s++) spin_named.emplace(run.spins[s].system.label, s);
    for (const connected_stretch_t &stretch : connected) {
        std::vector<int> part;
        auto close = [&] {
            if (part.size() >= 2) problem.stretches.push_back(part);
            part.clear();
        };
        for (const std::string &label : stretch.labels) {
            const auto found = spin_named.find(label);
            const int k = found == spin_named.end() ? -1 : system_of_spin[found->second];
            if (k < 0 || problem.systems[k].fixed >= 0) {
                close();
                continue;
            }
            part.push_back(k);
        }
        close();
    }

    placement_settings_t settings;
    settings.threads = threads;
    const placement_result_t result = place_spin_systems(problem, settings);
    run.placement = true;
    long placed = 0, strong = 0, movable = 0;
    for (std::size_t k = 0; k < problem.systems.size(); k++) {
        spin_result_t &spin = run.spins[spin_of_system[k]];
        const placed_t &where = result.placed[k];
        spin.place_fixed = problem.systems[k].fixed >= 0;
        if (where.position >= 0) {
            const sequence_residue_t &residue = residues[where.position];
            spin.position = position_name(residue, where.position, run.format);
            spin.position_chain = residue.chain;
            spin.position_code =
                residue.sequence_code.empty() ? std::to_string(where.position + 1) : residue.sequence_code;
        }
        spin.position_probability = where.probability;
        if (where.runner_up >= 0)
            spin.runner_up = position_name(residues[where.runner_up], where.runner_up, run.format);
        else if (where.runner_up_left_out)
            spin.runner_up = "left out";
        spin.runner_up_probability = where.runner_up_probability;
        if (spin.place_fixed) continue;
        movable++;
        // Left out is no placement: its class is none whatever its probability.
        spin.position_class = where.position < 0 ? "none" : placement_class(where.probability);
        if (where.position < 0) continue;
        placed++;
        strong += spin.position_class == "strong" ? 1 : 0;
    }
    std::string tolerances;
    for (const link_tolerance_t &tolerance : result.tolerances)
        tolerances += (tolerances.empty() ? "" : ", ") + tolerance.atom + " " +
                      ppm(tolerance.sd) + " ppm (" + std::to_string(tolerance.pairs) +
                      (tolerance.pairs == 1 ? " pair)" : " pairs)");
    run.placement_note = std::to_string(placed) + " of " + std::to_string(movable) + " spin systems to predict placed (" +
                         std::to_string(strong) + " strong), " + std::to_string(problem.stretches.size()) +
                         (problem.stretches.size() == 1 ? " connected stretch" : " connected stretches") +
                         "; link tolerances " + (tolerances.empty() ? "none" : tolerances);
    messages += "kestrin-assign: placement: " + run.placement_note + "\n";
}
