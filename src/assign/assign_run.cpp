// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-assign: every input read and every stage run before any output is
// written; the outputs are completed together, standard output last.
#include "assign/assign_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <set>

#include "assign/assign_error.h"
#include "assign/assign_outputs.h"
#include "assign/assign_referencing.h"
#include "assign/assign_statistics.h"
#include "assign/flags.h"
#include "assign/nef_output.h"
#include "assign/placement_run.h"
#include "assign/residues_left.h"
#include "assign/shift_choice.h"
#include "calibration/temperature.h"
#include "defaults/default_files.h"
#include "engines/model_pass.h"
#include "fit/fit.h"
#include "fit/fit_thresholds.h"
#include "formats/file_text.h"
#include "formats/kestrin_spins.h"
#include "formats/reading_summary.h"
#include "observe/observed_atoms.h"
#include "output/output_file.h"
#include "secondary/structure_classes.h"

namespace {

const summary_words_t assign_summary_words = {"kestrin-assign", "found", "shown with the flag no_shifts"};

std::string shown_name(const std::string &input) { return input == "-" ? "standard input" : input; }

std::string plural(long count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void note(std::string &messages, const std::string &line) { messages += "kestrin-assign: " + line + "\n"; }
void warn(std::string &messages, const std::string &line) { messages += "kestrin-assign: warning: " + line + "\n"; }

std::string installed_default(const char *name) {
    const std::optional<std::string> file = default_data_file(name);
    if (!file)
        throw assign_error(std::string("the default statistics are not installed (no ") + name + " in " +
                           default_data_folder +
                           " beside the program); name a statistics file and its atom selection with -sf and -af");
    return *file;
}

// The kept spin systems and the empty ones, in file order.
std::vector<spin_system_t> all_spin_systems(spin_grouping_t &grouping) {
    std::vector<spin_system_t> all;
    std::size_t e = 0;
    for (std::size_t s = 0; s <= grouping.systems.size(); s++) {
        for (; e < grouping.empty_systems.size() && grouping.empty_before[e] == s; e++)
            all.push_back(std::move(grouping.empty_systems[e]));
        if (s < grouping.systems.size()) all.push_back(std::move(grouping.systems[s]));
    }
    return all;
}

// "A" for one chain, "A, B" for several; empty when the residues name none.
std::string chains_of(const sequence_t &sequence) {
    std::vector<std::string> chains;
    for (const sequence_residue_t &residue : sequence.residues)
        if (!residue.chain.empty() && std::find(chains.begin(), chains.end(), residue.chain) == chains.end())
            chains.push_back(residue.chain);
    std::string text;
    for (const std::string &chain : chains) text += (text.empty() ? "" : ", ") + chain;
    return text;
}

// The sequence asked for, or the file's own; a sequence block of the file
// that cannot be read is warned about and not used.
std::optional<sequence_t> sequence_of_run(const assign_options_t &options, const std::string &input_text,
                                          const shift_file_t &file, const shift_list_t &list, std::string &messages) {
    if (options.sequence_file) {
        try {
            return read_sequence_text(read_file_text(*options.sequence_file));
        } catch (const format_error &error) {
            throw assign_error("the sequence " + file_fault(*options.sequence_file, error));
        }
    }
    try {
        return read_file_sequence(input_text, file.format, list);
    } catch (const format_error &error) {
        warn(messages, "the sequence of " + file_fault(options.input, error) + "; no sequence is used");
        return std::nullopt;
    }
}

std::string listed(const std::vector<std::string> &items, std::size_t most) {
    std::string text;
    for (std::size_t i = 0; i < items.size() && i < most; i++) text += (i ? "; " : "") + items[i];
    if (items.size() > most) text += "; and " + std::to_string(items.size() - most) + " more";
    return text;
}

// The atoms that take part, as the --atoms rule says; notes what was decided.
std::vector<type_statistics_t> atoms_taking_part(const assign_options_t &options,
                                                 const std::vector<type_statistics_t> &types,
                                                 const std::vector<spin_system_t> &systems,
                                                 const std::vector<bool> &predicted, run_result_t &run,
                                                 std::string &messages) {
    const int total = atom_count(types);
    if (options.atoms == atoms_rule_t::all) {
        run.atoms_used = "all (" + std::to_string(total) + " atoms)";
        return restricted_statistics(types, [](int, const selected_atom_t &) { return true; });
    }
    if (options.atoms == atoms_rule_t::file) {
        std::vector<type_statistics_t> used = selection_of_file(types, options.atoms_rule_file);
        run.atoms_used = options.atoms_rule_file + " (" + std::to_string(atom_count(used)) + " of " +
                         std::to_string(total) + " atoms)";
        note(messages, "atoms of " + options.atoms_rule_file + ": " + std::to_string(atom_count(used)) + " of the " +
                           std::to_string(total) + " atoms of the statistics take part");
        return used;
    }
    // When no spin system is to be predicted, the assigned ones decide.
    const bool any_predicted = std::find(predicted.begin(), predicted.end(), true) != predicted.end();
    const std::vector<bool> looked_at = any_predicted ? predicted : std::vector<bool>(systems.size(), true);
    const observed_kinds_t kinds = observed_kinds(systems, looked_at);
    std::vector<type_statistics_t> used = restricted_statistics(
        types, [&](int, const selected_atom_t &atom) { return is_observable(kinds, atom.name, atom.nucleus); });
    const int count = atom_count(used);
    run.atoms_used = "observed, " + describe_kinds(kinds) + " (" + std::to_string(count) + " of " +
                     std::to_string(total) + " atoms)";
    if (systems.empty()) return used;
    note(messages, "observable atoms, as the " +
                       plural(kinds.systems, any_predicted ? "spin system to predict shows" : "spin system shows",
                              any_predicted ? "spin systems to predict show" : "spin systems show") +
                       ": " + describe_kinds(kinds));
    if (count < total)
        warn(messages, "atoms restricted to those the file shows: " + std::to_string(count) + " of the " +
                           std::to_string(total) +
                           " atoms of the statistics take part; the others count neither as seen nor as missing");
    return used;
}

// Ranks, the top type, the observed shares and the flags of a spin system
// whose probabilities are known.
// The stem of the statistics per class to mix the scores over; none to
// score with the one statistics file.
std::optional<std::string> classes_of_run(const assign_options_t &options) {
    switch (options.classes) {
    case classes_rule_t::none: return std::nullopt;
    case classes_rule_t::stem: return options.classes_stem;
    case classes_rule_t::installed: break;
    }
    if (options.stats_file) return std::nullopt;
    const std::string helix = installed_default((std::string(default_classes_stem) + "_helix.txt").c_str());
    return helix.substr(0, helix.size() - std::string("_helix.txt").size());
}

// The statistics per class, each restricted to the atoms that take part.
class_statistics_t class_statistics_taking_part(const std::string &stem, const std::string &atoms_file,
                                                const std::vector<type_statistics_t> &used, model_t model) {
    class_statistics_t classes = read_class_statistics(stem, atoms_file);
    std::array<std::set<std::pair<std::string, char>>, 20> taking_part;
    for (const type_statistics_t &type : used)
        for (const selected_atom_t &atom : type.atoms) taking_part[type.amino_acid].insert({atom.name, atom.nucleus});
    for (std::size_t c = 0; c < classes.types.size(); c++) {
        classes.types[c] = restricted_statistics(classes.types[c], [&](int amino_acid, const selected_atom_t &atom) {
            return taking_part[amino_acid].count({atom.name, atom.nucleus}) > 0;
        });
        if (is_dependent_model(model))
            check_covariances(classes.types[c], stem + "_" + structure_class_key(structure_classes[c]) + ".txt");
    }
    return classes;
}

// The values the reading kept aside for the spin system.
std::vector<std::string> values_of(const std::map<std::string, std::vector<std::string>> &by_name,
                                   const spin_system_t &system) {
    const auto found = by_name.find(system.label);
    return found == by_name.end() ? std::vector<std::string>{} : found->second;
}

// The fit of every selected type to the shifts scored.
void fit_types(spin_result_t &spin, const std::vector<type_statistics_t> &used, const chosen_shifts_t &shifts,
               const nucleus_widths_t &widths) {
    for (int t = 0; t < 20; t++) spin.fit[t] = spin.farthest_sd[t] = NAN;
    if (!spin.scored) return;
    for (const type_statistics_t &type : used) {
        const type_fit_t fit = fit_to_type(shifts_for_type(shifts.values, shifts.names, type, widths).values, type);
        spin.fit[type.amino_acid] = fit.fit;
        spin.farthest_sd[type.amino_acid] = fit.farthest_sd;
    }
}

const type_statistics_t &statistics_of(const std::vector<type_statistics_t> &used, int amino_acid) {
    return *std::find_if(used.begin(), used.end(),
                         [&](const type_statistics_t &type) { return type.amino_acid == amino_acid; });
}

// Of each type's observable atoms, the share that the spin system's shifts
// can fill: per nucleus at most as many as the type has. NaN for a type not
// used, or one without atoms.
type_values_t observed_shares(const shift_values_t &shifts, const std::vector<type_statistics_t> &used) {
    type_values_t share;
    share.fill(NAN);
    for (const type_statistics_t &type : used) {
        const stat_data_t &s = type.stats;
        const int seen = std::min<int>(shifts.h.size(), s.H_num) + std::min<int>(shifts.c.size(), s.C_num) +
                         std::min<int>(shifts.n.size(), s.N_num);
        if (s.atom_num > 0) share[type.amino_acid] = static_cast<double>(seen) / s.atom_num;
    }
    return share;
}

// Each spin system's prior weights, the temperature of its scores
// (calibration/temperature.h) and its probabilities.
struct stated_probabilities_t {
    std::vector<type_values_t> prior, probability;
    std::vector<double> temperature;  // 1 where the scores are not tempered
};

// The spin systems to predict with the run's prior, the assigned ones by
// their scores alone. The matching prior's probabilities are calibrated as
// they come; the others' scores are tempered first.
stated_probabilities_t state_probabilities(const run_result_t &run, const std::vector<chosen_shifts_t> &chosen,
                                           const std::vector<type_statistics_t> &used,
                                           const std::optional<std::array<int, 20>> &remaining) {
    const std::size_t count = run.spins.size();
    stated_probabilities_t stated;
    stated.temperature.assign(count, 1.0);
    std::vector<type_values_t> predicted_scores, assigned_scores;
    for (std::size_t s = 0; s < count; s++) {
        const spin_result_t &spin = run.spins[s];
        type_values_t weighed = spin.score;
        if (!spin.predicted || run.prior != prior_method_t::matching) {
            const shift_values_t &shifts = chosen[s].values;
            const int best = static_cast<int>(std::max_element(spin.score.begin(), spin.score.end()) -
                                              spin.score.begin());
            stated.temperature[s] = spin_temperature(shifts.count(), observed_shares(shifts, used)[best]);
            weighed = tempered_scores(spin.score, stated.temperature[s]);
        }
        (spin.predicted ? predicted_scores : assigned_scores).push_back(weighed);
    }
    const prior_result_t with_prior = type_probabilities(predicted_scores, run.selected, remaining, run.prior);
    const prior_result_t without = type_probabilities(assigned_scores, run.selected, remaining, prior_method_t::none);
    stated.prior.resize(count);
    stated.probability.resize(count);
    std::size_t p = 0, a = 0;
    for (std::size_t s = 0; s < count; s++) {
        const prior_result_t &from = run.spins[s].predicted ? with_prior : without;
        const std::size_t row = run.spins[s].predicted ? p++ : a++;
        stated.prior[s] = from.prior[row];
        stated.probability[s] = from.probability[row];
    }
    return stated;
}

void settle(spin_result_t &spin, const std::vector<type_statistics_t> &used, const run_result_t &run,
            const chosen_shifts_t &chosen, const nucleus_widths_t &widths, const std::vector<std::string> &impossible,
            const std::vector<std::string> &conflicting) {
    const shift_values_t &shifts = chosen.values;
    spin.observed_share = observed_shares(shifts, used);
    fit_types(spin, used, chosen, widths);
    bool fits = false;
    for (int t = 0; t < 20; t++) fits = fits || (run.selected[t] && spin.probability[t] > 0.0);
    flag_facts_t facts;
    facts.shifts = spin.shifts;
    facts.impossible = impossible;
    facts.conflicting = conflicting;
    facts.any_type_fits = fits;
    if (fits) {
        const int best = ranked_types(run, spin)[0];
        facts.best_type_fits = spin.fit[best] >= least_real_fit(best);
        const type_statistics_t &type = statistics_of(used, best);
        facts.far = far_shifts(shifts_for_type(shifts, chosen.names, type, widths).values, type, far_shift_sds);
        facts.best_observed_share = spin.observed_share[best];
    }
    // A spin system that no type fits has no top type: no rank, no
    // probability.
    if (fits && facts.best_type_fits) {
        const std::vector<int> order = ranked_types(run, spin);
        for (std::size_t k = 0; k < order.size(); k++) spin.rank[order[k]] = static_cast<int>(k) + 1;
        spin.top = order[0];
    } else {
        spin.probability.fill(0.0);
    }
    spin.flags = spin_flags(facts);
}

void note_flags(const run_result_t &run, std::string &messages) {
    std::map<std::string, long> counts;
    long flagged = 0;
    for (const spin_result_t &spin : run.spins) {
        if (!spin.flags.empty()) flagged++;
        for (const std::string &flag : spin.flags) counts[flag_name(flag)]++;
    }
    if (flagged == 0) return;
    std::string which;
    for (const auto &[name, count] : counts) which += (which.empty() ? "" : ", ") + name + " " + std::to_string(count);
    const std::string text = std::to_string(flagged) + " of " + std::to_string(run.spins.size()) +
                             " spin systems flagged (" + which + ")";
    if (2 * flagged > static_cast<long>(run.spins.size()))
        warn(messages, "most spin systems are flagged: " + text);
    else
        note(messages, text);
}

}  // namespace

std::vector<int> ranked_types(const run_result_t &run, const spin_result_t &spin) {
    std::vector<int> order;
    for (int t = 0; t < 20; t++)
        if (run.selected[t]) order.push_back(t);
    // Types of equal probability (most often 0: scores that underflow, or
    // that the walks' floor leaves out far below the best) are ranked by
    // their fit, the closer first; equal fits, and a spin system without
    // probabilities, keep AA3 order.
    auto fit = [&](int t) { return std::isnan(spin.fit[t]) ? -HUGE_VAL : spin.fit[t]; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (spin.probability[a] != spin.probability[b]) return spin.probability[a] > spin.probability[b];
        return fit(a) > fit(b);
    });
    return order;
}

run_result_t assign_types(const assign_options_t &options, const std::string &input_text, std::string &messages) {
    run_result_t run;
    run.input = shown_name(options.input);
    run.model = options.model;
    const std::string stats_file = options.stats_file ? *options.stats_file : installed_default(default_statistics_name);
    const std::string atoms_file = options.atoms_file ? *options.atoms_file : installed_default(default_atoms_name);
    run.statistics = options.stats_file ? shown_name(*options.stats_file)
                                        : std::string(default_statistics_name) + " (installed default)";
    run.atoms_file = options.atoms_file ? shown_name(*options.atoms_file)
                                        : std::string(default_atoms_name) + " (installed default)";
    const std::vector<type_statistics_t> types = read_type_statistics(stats_file, atoms_file);
    for (const type_statistics_t &type : types) run.selected[type.amino_acid] = true;

    shift_file_t file;
    std::size_t list = 0;
    spin_grouping_t grouping;
    try {
        file = !options.format && is_kestrin_spin_file(input_text) ? read_kestrin_spin_file(input_text)
                                                                   : read_shift_file(input_text, options.format);
        list = choose_shift_list(file, options.list);
        grouping = group_spin_systems(file.lists[list], file.format);
    } catch (const format_error &error) {
        throw assign_error(file_fault(options.input, error));
    }
    run.format = file.format;
    run.list_name = file.lists[list].name;
    messages += conversion_summary(run.input, file, list, grouping, assign_summary_words);
    std::vector<spin_system_t> systems = all_spin_systems(grouping);
    // Shifts the reading left out as outside their nucleus's range: impossible values too.
    std::vector<std::vector<std::string>> outside(systems.size());
    for (std::size_t s = 0; s < systems.size(); s++) outside[s] = values_of(grouping.out_of_range_values, systems[s]);
    if (systems.empty()) warn(messages, "no spin system read from " + run.input);

    std::vector<bool> predicted(systems.size()), assigned(systems.size());
    long to_predict = 0;
    for (std::size_t s = 0; s < systems.size(); s++) {
        // A kestrin spin-system file names no atoms: its declared types
        // cannot be scored as assignments, only compared with predictions.
        predicted[s] = options.hide_types || systems[s].amino_acid < 0 || file.format == shift_format_t::kestrin;
        assigned[s] = !predicted[s];
        to_predict += predicted[s] ? 1 : 0;
    }
    if (file.format == shift_format_t::kestrin && !options.hide_types &&
        std::any_of(systems.begin(), systems.end(), [](const spin_system_t &s) { return s.amino_acid >= 0; }))
        note(messages, "a kestrin spin-system file names no atoms: every spin system is predicted, declared types "
                       "are kept for comparison");
    if (!systems.empty() && to_predict == 0)
        note(messages, "every spin system is assigned: their declared types are ranked (--hide-types predicts them)");

    run.sequence = sequence_of_run(options, input_text, file, file.lists[list], messages);
    std::optional<std::array<int, 20>> remaining;
    if (run.sequence) {
        const residues_left_t left = residues_left(*run.sequence, systems, assigned);
        const int amino_acids = std::accumulate(left.in_sequence.begin(), left.in_sequence.end(), 0);
        const int free = std::accumulate(left.left.begin(), left.left.end(), 0);
        const std::string chains = chains_of(*run.sequence);
        run.sequence_note = plural(left.residues, "residue", "residues") + " (" + run.sequence->source +
                            (chains.empty() ? "" : ", chain " + chains) + "), " + std::to_string(free) +
                            " left for the " + plural(to_predict, "spin system", "spin systems") + " to predict";
        if (amino_acids == 0) {
            warn(messages, "the sequence (" + run.sequence->source + ") holds no amino acid; no sequence is used");
            run.sequence.reset();
            run.sequence_note.clear();
        } else {
            note(messages, "sequence: " + run.sequence_note);
            if (!left.misfits.empty())
                warn(messages, "the assigned residues do not fit the sequence: " + listed(left.misfits, 5));
            if (to_predict > free)
                warn(messages, "more spin systems to predict (" + std::to_string(to_predict) + ") than residues left "
                               "in the sequence (" + std::to_string(free) + "): some are not what the sequence holds "
                               "(side-chain groups, other chains, noise) or the sequence is incomplete");
            remaining = left.left;
        }
    }
    if (!run.sequence)
        warn(messages, options.sequence_file ? "the sequence holds no amino acid"
                                             : "no sequence in " + run.input +
                                                   " (give one with --sequence); the types are predicted without it");
    run.prior = remaining ? options.prior : prior_method_t::none;

    const std::vector<type_statistics_t> used = atoms_taking_part(options, types, systems, predicted, run, messages);
    if (is_dependent_model(options.model)) check_covariances(used, run.statistics);

    // The shifts scored; then the scores of the spin systems that have any.
    const shift_ranges_t ranges = shift_ranges(types);
    const int threads = options.threads > 0 ? options.threads : available_processors();
    const std::optional<std::string> classes_stem = classes_of_run(options);
    std::optional<class_statistics_t> classes;
    if (classes_stem) classes = class_statistics_taking_part(*classes_stem, atoms_file, used, options.model);
    run.referencing = check_referencing(options.reference, options.imposed_offsets, systems, predicted, used,
                                        classes ? &*classes : nullptr, ranges, remaining, threads, messages);
    std::vector<chosen_shifts_t> chosen;
    std::vector<shift_values_t> values;
    std::vector<shift_names_t> names;
    long not_taking_part = 0, impossible = 0, unheld = 0;
    for (std::size_t s = 0; s < systems.size(); s++) {
        chosen.push_back(choose_shifts(systems[s], used, ranges, !predicted[s]));
        not_taking_part += chosen.back().not_taking_part;
        unheld += chosen.back().unheld_names;
        impossible += static_cast<long>(chosen.back().impossible.size());
        if (chosen.back().values.count() > 0) {
            values.push_back(chosen.back().values);
            names.push_back(chosen.back().names);
        }
    }
    if (not_taking_part > 0)
        note(messages, "left out of the scoring: " +
                           plural(not_taking_part, "shift of an atom that takes no part",
                                  "shifts of atoms that take no part"));
    if (unheld > 0)
        note(messages, "left out of the scoring: " +
                           plural(unheld, "shift of a spin system to predict whose atom name no type holds",
                                  "shifts of spin systems to predict whose atom names no type holds"));
    if (impossible > 0)
        note(messages, "left out of the scoring: " +
                           plural(impossible, "impossible value (flagged impossible_value)",
                                  "impossible values (flagged impossible_value)"));
    std::vector<type_values_t> scores;
    std::vector<double> floors;
    if (classes) {
        run.statistics += options.classes == classes_rule_t::installed
                              ? std::string(" mixed by class with ") + default_classes_stem +
                                    "_{helix,sheet,coil}.txt (installed default)"
                              : " mixed by class with " + shown_name(*classes_stem) + "_{helix,sheet,coil}.txt";
        // Scores to be tempered get a floor low enough for the hottest
        // temperature their spin system can have (every atom unseen).
        std::vector<double> floor_shares;
        for (std::size_t s = 0; s < systems.size(); s++)
            if (chosen[s].values.count() > 0)
                floor_shares.push_back(!predicted[s] || run.prior != prior_method_t::matching
                                           ? floor_share_for(spin_temperature(chosen[s].values.count(), 0.0))
                                           : default_floor_share);
        scores = score_class_mixture(values, names, classes->types, classes->share, options.model, threads,
                                     floor_shares, &floors);
    } else {
        scores = score_spin_systems(values, used, options.model, threads);
        rescore_unmodelled_atoms(scores, values, names, used, options.model, threads);
    }

    run.spins.resize(systems.size());
    std::vector<std::size_t> score_row(systems.size(), 0);
    std::size_t next = 0;
    for (std::size_t s = 0; s < systems.size(); s++) {
        spin_result_t &spin = run.spins[s];
        spin.system = systems[s];
        spin.predicted = predicted[s];
        spin.declared = systems[s].amino_acid;
        spin.shifts = chosen[s].values.count();
        spin.scored = spin.shifts > 0;
        score_row[s] = next;
        if (spin.scored) spin.score = scores[next++];
    }
    stated_probabilities_t stated = state_probabilities(run, chosen, used, remaining);
    // Where the prior weights or the temperature let a type far below the
    // best matter, its floored score is not precise enough: those spin
    // systems are scored again without the floor, and every probability
    // stated again (the matching prior weighs all spin systems together).
    if (!floors.empty()) {
        std::vector<std::size_t> again;
        for (std::size_t s = 0; s < systems.size(); s++)
            if (run.spins[s].scored && floor_may_show(run.spins[s].score, stated.prior[s], stated.temperature[s],
                                                      floors[score_row[s]]))
                again.push_back(s);
        if (!again.empty()) {
            std::vector<shift_values_t> again_values;
            std::vector<shift_names_t> again_names;
            for (const std::size_t s : again) {
                again_values.push_back(values[score_row[s]]);
                again_names.push_back(names[score_row[s]]);
            }
            const std::vector<type_values_t> exact =
                score_class_mixture(again_values, again_names, classes->types, classes->share, options.model, threads,
                                    std::vector<double>(again.size(), 0.0));
            for (std::size_t i = 0; i < again.size(); i++) run.spins[again[i]].score = exact[i];
            stated = state_probabilities(run, chosen, used, remaining);
        }
    }
    const nucleus_widths_t widths = nucleus_widths(used);
    for (std::size_t s = 0; s < systems.size(); s++) {
        spin_result_t &spin = run.spins[s];
        spin.prior = stated.prior[s];
        if (spin.scored) spin.probability = stated.probability[s];
        std::vector<std::string> impossible = outside[s];
        impossible.insert(impossible.end(), chosen[s].impossible.begin(), chosen[s].impossible.end());
        settle(spin, used, run, chosen[s], widths, impossible, values_of(grouping.conflicting_values, systems[s]));
    }
    note_flags(run, messages);
    if (options.place) place_run(run, grouping.connected, types, threads, messages);
    return run;
}

namespace {

struct output_t {
    const char *option;
    std::unique_ptr<output_file_t> file;
};

// True when the two names are one file: the same text, or the same file on disk.
bool same_file(const std::string &a, const std::string &b) {
    if (a == b) return true;
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// True when writing both outputs would lose or mix one: both "-", or one file
// however named, a file still to be made included (./new.tsv and new.tsv).
bool one_output(const std::string &a, const std::string &b) {
    return (a == "-" && b == "-") || same_output(identify_output(a), identify_output(b));
}

// Checks that no two outputs name one file, that none is the input, and
// that at most one takes standard output; then creates their temporary files.
std::vector<output_t> open_outputs(const assign_options_t &options) {
    const std::pair<const char *, const std::optional<std::string> *> named[] = {
        {"--table", &options.table_file}, {"--nef", &options.nef_file}, {"--plot", &options.plot_file},
        {"--referencing", &options.referencing_file}};
    std::vector<std::pair<const char *, std::string>> wanted;
    for (const auto &[option, name] : named)
        if (*name) wanted.emplace_back(option, **name);
    for (std::size_t i = 0; i < wanted.size(); i++) {
        if (options.input != "-" && wanted[i].second != "-" && same_file(wanted[i].second, options.input))
            throw assign_error(std::string(wanted[i].first) + " names the input file " + options.input +
                               ", which the run would replace; write the output to another file");
        for (std::size_t j = 0; j < i; j++)
            if (one_output(wanted[i].second, wanted[j].second))
                throw assign_error(identify_output(wanted[i].second).standard_output
                                       ? std::string(wanted[j].first) + " and " + wanted[i].first +
                                             " cannot both be written on standard output"
                                       : std::string(wanted[j].first) + " and " + wanted[i].first +
                                             " name the same file " + wanted[i].second);
    }
    std::vector<output_t> outputs;
    for (const auto &[option, name] : wanted) {
        outputs.push_back({option, nullptr});
        // Gathered, so that standard output gets nothing before every file is written out.
        with_own_messages([&, name = name] {
            outputs.back().file = std::make_unique<output_file_t>(name, standard_output_use_t::gathered);
        });
    }
    return outputs;
}

void write_text(output_file_t &file, const std::string &text) {
    if (!text.empty()) fwrite(text.data(), 1, text.size(), file.stream());
}

int run_assign(const assign_options_t &options) {
    try {
        std::vector<output_t> outputs = open_outputs(options);
        std::string input_text;
        try {
            input_text = read_file_text(options.input);
        } catch (const format_error &error) {
            throw assign_error(file_fault(options.input, error));
        }
        std::string messages;
        const run_result_t run = assign_types(options, input_text, messages);
        fputs(messages.c_str(), stderr);

        bool summary = true;
        for (output_t &output : outputs) {
            output_file_t &file = *output.file;
            summary = summary && !file.writes_standard_output();
            const std::string option = output.option;
            if (option == "--table") {
                write_text(file, table_text(run));
            } else if (option == "--nef") {
                write_text(file, run.format == shift_format_t::nef ? nef_with_predictions(input_text, run)
                                                                  : nef_of_run(input_text, run));
            } else if (option == "--referencing") {
                write_text(file, referencing_table_text(run.referencing));
            } else {
                write_assign_plot(file.stream(), run);
            }
        }
        // Every file written out, then standard output, then the files
        // renamed into place: a full disk or a failed standard output leaves
        // every file as it was.
        with_own_messages([&] {
            for (output_t &output : outputs)
                if (!output.file->writes_standard_output()) output.file->write_out();
            for (output_t &output : outputs)
                if (output.file->writes_standard_output()) output.file->commit();
            if (summary) write_standard_output(summary_text(run));
            for (output_t &output : outputs)
                if (!output.file->writes_standard_output()) output.file->commit();
        });
        return 0;
    } catch (const assign_error &error) {
        fprintf(stderr, "kestrin-assign: error: %s\n", error.what());
        return 1;
    }
}

}  // namespace

int kestrin_assign_main(int argc, char **argv) {
    try {
        keep_standard_descriptors_open();
        return run_assign(parse_assign_options(argc, argv));
    } catch (const run_ended &end) {
        return end.status;
    } catch (const std::bad_alloc &) {
        // Every output file is gone with its temporary, standard output untouched.
        return report_memory_exhausted("kestrin-assign: error: unable to allocate memory");
    }
}
