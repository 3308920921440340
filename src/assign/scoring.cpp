// SPDX-License-Identifier: GPL-3.0-or-later
// The scoring stage on kestrin's model passes.
#include "assign/scoring.h"

#include "engines/engines.h"
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

}  // namespace

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
                                              int threads) {
    data_t data;
    data.type_num = static_cast<int>(types.size());
    data.spin_num = static_cast<int>(systems.size());
    for (const type_statistics_t &type : types) data.sdata.push_back(copy_statistics(type.stats));
    data.vdata.reserve(systems.size());
    for (const shift_values_t &shifts : systems) data.vdata.push_back(value_data(shifts, data.type_num));
    pass_of(model)(data, {}, threads);

    std::vector<type_values_t> scores(systems.size());
    for (std::size_t s = 0; s < systems.size(); s++) {
        scores[s].fill(0.0);
        for (std::size_t t = 0; t < types.size(); t++) scores[s][types[t].amino_acid] = data.vdata[s].proba[t];
    }
    return scores;
}

void rescore_unmodelled_atoms(std::vector<type_values_t> &scores, const std::vector<shift_values_t> &systems,
                              const std::vector<shift_names_t> &names, const std::vector<type_statistics_t> &types,
                              model_t model, int threads) {
    const nucleus_widths_t widths = nucleus_widths(types);
    for (const type_statistics_t &type : types) {
        std::vector<std::size_t> rows;
        std::vector<shift_values_t> own;
        std::vector<double> density;
        for (std::size_t s = 0; s < systems.size(); s++) {
            type_shifts_t shifts = shifts_for_type(systems[s], names[s], type, widths);
            if (shifts.unmodelled == 0) continue;
            rows.push_back(s);
            own.push_back(std::move(shifts.values));
            density.push_back(shifts.density);
        }
        if (rows.empty()) continue;
        std::vector<type_statistics_t> alone(1);
        alone[0].amino_acid = type.amino_acid;
        alone[0].atoms = type.atoms;
        alone[0].stats = copy_statistics(type.stats);
        const std::vector<type_values_t> again = score_spin_systems(own, alone, model, threads);
        for (std::size_t r = 0; r < rows.size(); r++)
            scores[rows[r]][type.amino_acid] = again[r][type.amino_acid] * density[r];
    }
}
