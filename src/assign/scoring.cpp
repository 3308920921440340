// SPDX-License-Identifier: GPL-3.0-or-later
// The scoring stage on kestrin's model passes.
#include "assign/scoring.h"

#include <algorithm>
#include <cmath>

#include "engines/engines.h"
#include "engines/walk_terms.h"
#include "groups/side_chain_groups.h"
#include "linalg/thresholds.h"
#include "input/failure.h"

namespace {

using pass_t = void (*)(data_t &, const pass_progress_t &, int);

pass_t pass_of(model_t model) {
    switch (model) {
    case model_t::cfpi: return calculate_full_perm_indep_probas;
    case model_t::cfpd: return calculate_full_perm_dep_probas;
    case model_t::cspi: return calculate_select_perm_indep_probas;
    case model_t::cspd: return calculate_select_perm_dep_probas;
    }
    return calculate_full_perm_dep_probas;
}

// The spin system as the engines read it, with no declared type.
value_data_t value_data(const shift_values_t &shifts, int type_num) {
    value_data_t v;
    v.res_type = -1;
    v.H_val = shifts.h;
    v.C_val = shifts.c;
    v.N_val = shifts.n;
    v.H_num = static_cast<int>(shifts.h.size());
    v.C_num = static_cast<int>(shifts.c.size());
    v.N_num = static_cast<int>(shifts.n.size());
    v.total_num = v.H_num + v.C_num + v.N_num;
    ALLOCATE(v.proba, type_num, "vdata->proba");
    return v;
}

// The engines' records of the spin systems against the types, each spin
// system with its score floor where one is given.
data_t pass_data(const std::vector<shift_values_t> &systems, const std::vector<type_statistics_t> &types,
                 const std::vector<double> &floors) {
    data_t data;
    data.type_num = static_cast<int>(types.size());
    data.spin_num = static_cast<int>(systems.size());
    for (const type_statistics_t &type : types) data.sdata.push_back(copy_statistics(type.stats));
    data.vdata.reserve(systems.size());
    for (std::size_t s = 0; s < systems.size(); s++) {
        data.vdata.push_back(value_data(systems[s], data.type_num));
        if (s < floors.size()) data.vdata.back().score_floor = floors[s];
    }
    return data;
}

// The types as the engines score them: a type with a side-chain group
// (groups/side_chain_groups.h) in both of its states, the assigned state in
// the type's place and the bare states after the types, so that its score is
//     s = g s_bare + (1 - g) s_assigned.
struct scored_states_t {
    std::vector<type_statistics_t> types;
    std::vector<std::size_t> bare_of;  // per type: the index of its bare state, if it has one
    std::vector<double> unassigned;    // per type: g, or 0 without a group
};

scored_states_t scored_states(const std::vector<type_statistics_t> &types) {
    scored_states_t scored;
    scored.bare_of.assign(types.size(), 0);
    scored.unassigned.assign(types.size(), 0.0);
    std::vector<type_statistics_t> bare;
    for (std::size_t t = 0; t < types.size(); t++) {
        std::optional<side_chain_states_t> states = side_chain_states(types[t]);
        type_statistics_t own;
        own.amino_acid = types[t].amino_acid;
        own.atoms = types[t].atoms;
        own.stats = copy_statistics(states ? states->assigned.stats : types[t].stats);
        scored.types.push_back(std::move(own));
        if (!states) continue;
        scored.unassigned[t] = states->unassigned;
        scored.bare_of[t] = types.size() + bare.size();
        bare.push_back(std::move(states->bare));
    }
    for (type_statistics_t &state : bare) scored.types.push_back(std::move(state));
    return scored;
}

// Each spin system's score per type, by AA3 index, from a pass over the states.
std::vector<type_values_t> type_scores(const data_t &data, const std::vector<type_statistics_t> &types,
                                       const scored_states_t &states) {
    std::vector<type_values_t> scores(data.vdata.size());
    for (std::size_t s = 0; s < data.vdata.size(); s++) {
        scores[s].fill(0.0);
        const std::vector<double> &proba = data.vdata[s].proba;
        for (std::size_t t = 0; t < types.size(); t++) {
            const double g = states.unassigned[t];
            scores[s][types[t].amino_acid] = g > 0.0 ? g * proba[states.bare_of[t]] + (1.0 - g) * proba[t] : proba[t];
        }
    }
    return scores;
}

// The most attachments a walk of first_attachment_floors scores.
const double first_attachments = 4.0;

}  // namespace

// The walks take the most plausible atoms first (each shift's nearest means
// in standard deviations), so their first few attachments hold a fair share
// of the pair's score, at a small part of the walk's cost. Their sum is a
// lower bound of the pair's score: every term is positive.
std::vector<double> first_attachment_floors(const std::vector<shift_values_t> &systems,
                                            const std::array<std::vector<type_statistics_t>, 3> &classes,
                                            model_t model, int threads) {
    std::vector<double> floors(systems.size(), 0.0);
    walk_limits_t limits;
    limits.most = first_attachments;
    for (const std::vector<type_statistics_t> &types : classes) {
        const scored_states_t states = scored_states(types);
        data_t data = pass_data(systems, states.types, {});
        if (model == model_t::cspd)
            calculate_select_perm_dep_probas(data, limits, {}, threads);
        else
            calculate_full_perm_dep_probas(data, limits, {}, threads);
        const std::vector<type_values_t> scores = type_scores(data, types, states);
        for (std::size_t s = 0; s < systems.size(); s++)
            for (const double score : scores[s]) floors[s] = std::max(floors[s], score);
    }
    return floors;
}

double floor_loss(double floor) { return skip_budget * floor; }

double floor_share_for(double temperature) {
    // (1e-13 f)^(1/T) <= 1e-11, T at least 1.
    const double exponent = std::max(temperature, 1.0);
    return std::min(default_floor_share, std::pow(1e-11, exponent) / skip_budget);
}

// True when a score below the spin system's floor F could move one of its
// probabilities by more than a billionth. Such a score may have lost
// d = floor_loss(F); with the probabilities p(t) ∝ w(t) s(t)^(1/T), in
// units of the best score b, a type with s < F gains at most
//     max((d / b)^(1/T), (1/T) (F / b)^(1/T - 1) d / b)
// (the first bound for T >= 1, the second, the slope at F, for T < 1),
// and the sum of those gains times w(t) is held against sum w(t) (s(t) / b)^(1/T).
bool floor_may_show(const type_values_t &score, const type_values_t &prior, double temperature, double floor) {
    const double best = *std::max_element(score.begin(), score.end());
    if (!(floor > 0.0) || !(best > 0.0)) return false;
    const double power = 1.0 / temperature;
    const double loss = floor_loss(floor) / best, level = floor / best;
    const double gain = std::max(std::pow(loss, power), power * std::pow(level, power - 1.0) * loss);
    double total = 0.0, lost = 0.0;
    for (int t = 0; t < 20; t++) {
        if (!(prior[t] > 0.0)) continue;
        if (score[t] > 0.0) total += prior[t] * std::pow(score[t] / best, power);
        if (score[t] < floor) lost += prior[t] * gain;
    }
    return lost > 1e-9 * total;
}

const char *model_key(model_t model) {
    switch (model) {
    case model_t::cfpi: return "cfpi";
    case model_t::cfpd: return "cfpd";
    case model_t::cspi: return "cspi";
    case model_t::cspd: return "cspd";
    }
    return "";
}

std::optional<model_t> model_of_key(const std::string &key) {
    for (model_t model : {model_t::cfpi, model_t::cfpd, model_t::cspi, model_t::cspd})
        if (key == model_key(model)) return model;
    return std::nullopt;
}

bool is_dependent_model(model_t model) { return model == model_t::cfpd || model == model_t::cspd; }

std::vector<type_values_t> score_spin_systems(const std::vector<shift_values_t> &systems,
                                              const std::vector<type_statistics_t> &types, model_t model,
                                              int threads, const std::vector<double> &floors) {
    const scored_states_t states = scored_states(types);
    data_t data = pass_data(systems, states.types, floors);
    pass_of(model)(data, {}, threads);
    return type_scores(data, types, states);
}

void rescore_unmodelled_atoms(std::vector<type_values_t> &scores, const std::vector<shift_values_t> &systems,
                              const std::vector<shift_names_t> &names, const std::vector<type_statistics_t> &types,
                              model_t model, int threads, const std::vector<double> &floors) {
    const nucleus_widths_t widths = nucleus_widths(types);
    for (const type_statistics_t &type : types) {
        std::vector<std::size_t> rows;
        std::vector<shift_values_t> own;
        std::vector<double> density, own_floors;
        for (std::size_t s = 0; s < systems.size(); s++) {
            type_shifts_t shifts = shifts_for_type(systems[s], names[s], type, widths);
            if (shifts.unmodelled == 0) continue;
            rows.push_back(s);
            own.push_back(std::move(shifts.values));
            density.push_back(shifts.density);
            // The walk scores the shifts the type models; the density of the
            // others multiplies it afterwards.
            const double floor = s < floors.size() ? floors[s] : 0.0;
            own_floors.push_back(floor > 0.0 && shifts.density > 0.0 ? floor / shifts.density : 0.0);
        }
        if (rows.empty()) continue;
        std::vector<type_statistics_t> alone(1);
        alone[0].amino_acid = type.amino_acid;
        alone[0].atoms = type.atoms;
        alone[0].stats = copy_statistics(type.stats);
        alone[0].side_chain = type.side_chain;
        alone[0].side_chain_unassigned = type.side_chain_unassigned;
        const std::vector<type_values_t> again = score_spin_systems(own, alone, model, threads, own_floors);
        for (std::size_t r = 0; r < rows.size(); r++)
            scores[rows[r]][type.amino_acid] = again[r][type.amino_acid] * density[r];
    }
}

std::vector<type_values_t> score_class_mixture(const std::vector<shift_values_t> &systems,
                                               const std::vector<shift_names_t> &names,
                                               const std::array<std::vector<type_statistics_t>, 3> &classes,
                                               const std::array<std::array<double, 3>, 20> &share, model_t model,
                                               int threads, const std::vector<double> &floor_shares,
                                               std::vector<double> *floors_used) {
    std::vector<type_values_t> mixture(systems.size(), type_values_t{});
    // A lower bound of each spin system's best score: its best first
    // attachments, then also each class's best score. Its share
    // floor_shares[s] (a billionth by default) is the floor of the walks
    // (score_spin_systems): every type within that of the best keeps
    // kestrin's own precision, and those below it lose at most 1e-13 of the
    // floor.
    auto share_of = [&](std::size_t s) { return s < floor_shares.size() ? floor_shares[s] : default_floor_share; };
    bool flooring = is_dependent_model(model);
    if (flooring && !floor_shares.empty())
        flooring = std::any_of(floor_shares.begin(), floor_shares.end(), [](double f) { return f > 0.0; });
    std::vector<double> best = flooring ? first_attachment_floors(systems, classes, model, threads) : std::vector<double>();
    best.resize(systems.size(), 0.0);
    std::vector<double> floors(systems.size(), 0.0);
    for (std::size_t c = 0; c < classes.size(); c++) {
        for (std::size_t s = 0; s < systems.size(); s++) floors[s] = std::max(floors[s], best[s] * share_of(s));
        std::vector<type_values_t> scores = score_spin_systems(systems, classes[c], model, threads, floors);
        rescore_unmodelled_atoms(scores, systems, names, classes[c], model, threads, floors);
        for (std::size_t s = 0; s < systems.size(); s++)
            for (const type_statistics_t &type : classes[c]) {
                const double score = scores[s][type.amino_acid];
                mixture[s][type.amino_acid] += share[type.amino_acid][c] * score;
                if (flooring) best[s] = std::max(best[s], score);
            }
    }
    if (floors_used != nullptr) *floors_used = floors;
    return mixture;
}
