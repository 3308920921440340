// SPDX-License-Identifier: GPL-3.0-or-later
// The referencing check of kestrin-assign: from the spin systems to the
// estimator's records, and from its estimates to warnings and corrections.
#include "assign/assign_referencing.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// With a sequence, a type's prior weight is this share of the composition of
// the residues left plus the rest spread evenly over the types, so that a
// sequence that misses a residue (a tag, another chain) cannot forbid a type.
constexpr double composition_share = 0.9;

std::string formatted(const char *format, double value) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

void warn(std::string &messages, const std::string &line) { messages += "kestrin-assign: warning: " + line + "\n"; }
void note(std::string &messages, const std::string &line) { messages += "kestrin-assign: " + line + "\n"; }

std::string carried_by(const offset_estimate_t &estimate) {
    return "uncertainty " + formatted("%.2f", estimate.uncertainty) + " ppm, " +
           std::to_string(estimate.spin_systems) + (estimate.spin_systems == 1 ? " spin system" : " spin systems");
}

std::array<double, 20> prior_weights(const std::vector<type_statistics_t> &used,
                                     const std::optional<std::array<int, 20>> &remaining) {
    std::array<double, 20> weight{};
    double left = 0.0;
    if (remaining)
        for (const type_statistics_t &type : used) left += (*remaining)[type.amino_acid];
    for (const type_statistics_t &type : used) {
        const double even = 1.0 / used.size();
        weight[type.amino_acid] =
            left > 0.0 ? composition_share * (*remaining)[type.amino_acid] / left + (1.0 - composition_share) * even
                       : even;
    }
    return weight;
}

}  // namespace

std::optional<reference_mode_t> reference_mode_of_key(const std::string &key) {
    if (key == "check") return reference_mode_t::check;
    if (key == "apply") return reference_mode_t::apply;
    if (key == "none") return reference_mode_t::none;
    return std::nullopt;
}

std::optional<imposed_offsets_t> parse_imposed_offsets(const std::string &text, std::string &fault) {
    imposed_offsets_t imposed;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const std::size_t equals = item.find('=');
        const std::string kind_key = item.substr(0, equals);
        int kind = -1;
        for (int k = 0; k < shift_kinds; k++)
            if (kind_key == shift_kind_key(k)) kind = k;
        if (equals == std::string::npos || kind < 0) {
            fault = "'" + item + "' is not KIND=PPM with a kind C, CO, N or H";
            return std::nullopt;
        }
        if (imposed[kind]) {
            fault = "the offset of " + kind_key + " is given twice";
            return std::nullopt;
        }
        const std::string number = item.substr(equals + 1);
        char *after = nullptr;
        errno = 0;
        const double value = number.empty() || std::isspace(static_cast<unsigned char>(number[0]))
                                 ? NAN
                                 : std::strtod(number.c_str(), &after);
        if (std::isnan(value) || errno != 0 || *after != '\0' || !(std::fabs(value) <= most_imposed_offset)) {
            fault = "the offset of " + kind_key + " must be a number of ppm from " +
                    formatted("%g", -most_imposed_offset) + " to " + formatted("%g", most_imposed_offset) + ", not '" +
                    number + "'";
            return std::nullopt;
        }
        imposed[kind] = value;
        if (end == text.size()) return imposed;
        start = end + 1;
    }
}

const char *offset_action_key(offset_action_t action) {
    switch (action) {
        case offset_action_t::not_checked: return "not_checked";
        case offset_action_t::not_estimated: return "not_estimated";
        case offset_action_t::none: return "none";
        case offset_action_t::warning: return "warning";
        case offset_action_t::applied: return "applied";
        case offset_action_t::imposed: return "imposed";
    }
    return "";
}

referencing_result_t check_referencing(reference_mode_t mode, const imposed_offsets_t &imposed,
                                       std::vector<spin_system_t> &systems, const std::vector<bool> &predicted,
                                       const std::vector<type_statistics_t> &used,
                                       const class_statistics_t *classes, const shift_ranges_t &ranges,
                                       const std::optional<std::array<int, 20>> &remaining, int threads,
                                       std::string &messages) {
    referencing_result_t result;
    bool any_imposed = false;
    for (int k = 0; k < shift_kinds; k++) any_imposed = any_imposed || imposed[k].has_value();
    if (mode == reference_mode_t::none && !any_imposed) {
        result.actions.fill(offset_action_t::not_checked);
        return result;
    }
    // The shifts that are scored, each spin system weighted over the types it may be.
    const std::array<double, 20> weights = prior_weights(used, remaining);
    std::vector<referencing_system_t> records;
    for (std::size_t s = 0; s < systems.size(); s++) {
        const chosen_shifts_t chosen = choose_shifts(systems[s], used, ranges, !predicted[s]);
        if (chosen.values.count() == 0) continue;
        referencing_system_t record;
        record.h = chosen.values.h;
        record.c = chosen.values.c;
        record.n = chosen.values.n;
        record.weight = weights;
        bool declared_used = false;
        for (const type_statistics_t &type : used) declared_used = declared_used || type.amino_acid == systems[s].amino_acid;
        if (!predicted[s] && declared_used) {
            record.weight.fill(0.0);
            record.weight[systems[s].amino_acid] = 1.0;
        }
        records.push_back(std::move(record));
    }
    // Without a check only the imposed offsets count; every kind held (at 0
    // when none is imposed) leaves nothing to estimate but the spin systems counted.
    imposed_offsets_t held = imposed;
    if (mode == reference_mode_t::none)
        for (std::optional<double> &offset : held) offset = offset ? *offset : 0.0;
    referencing_settings_t settings;
    settings.threads = threads;
    if (classes) {
        settings.protein_spread = protein_spread_by_class;
        std::vector<type_statistics_t> per_class;
        std::vector<double> shares;
        for (std::size_t c = 0; c < classes->types.size(); c++)
            for (const type_statistics_t &type : classes->types[c]) {
                per_class.push_back({type.amino_acid, type.atoms, copy_statistics(type.stats), {}, 0.0});
                shares.push_back(classes->share[type.amino_acid][c]);
            }
        result.estimates = estimate_offsets(records, per_class, held, settings, shares);
    } else {
        result.estimates = estimate_offsets(records, used, held, settings);
    }
    std::array<double, shift_kinds> correction{};
    for (int k = 0; k < shift_kinds; k++) {
        offset_estimate_t &estimate = result.estimates[k];
        offset_action_t &action = result.actions[k];
        const std::string kind = std::string(shift_kind_words(k)) + " shifts";
        if (imposed[k]) {
            action = offset_action_t::imposed;
            correction[k] = *imposed[k];
            note(messages, kind + " corrected by adding " + formatted("%+.2f", *imposed[k]) +
                               " ppm (--offset) before scoring");
        } else if (mode == reference_mode_t::none) {
            action = offset_action_t::not_checked;
        } else if (!estimate.estimated) {
            action = offset_action_t::not_estimated;
        } else if (!is_significant(k, estimate)) {
            action = offset_action_t::none;
        } else if (mode == reference_mode_t::apply) {
            action = offset_action_t::applied;
            correction[k] = estimate.offset;
            warn(messages, kind + " seem mis-referenced: corrected by adding " + formatted("%+.2f", estimate.offset) +
                               " ppm (" + carried_by(estimate) + ") before scoring");
        } else {
            action = offset_action_t::warning;
            warn(messages, kind + " seem mis-referenced: adding " + formatted("%+.2f", estimate.offset) + " ppm (" +
                               carried_by(estimate) + ") fits the statistics best; --reference apply corrects them");
        }
        if (action == offset_action_t::applied || action == offset_action_t::imposed)
            result.corrections += (result.corrections.empty() ? "" : ", ") + std::string(shift_kind_key(k)) + " " +
                                  formatted("%+.2f", correction[k]) + " ppm (" + offset_action_key(action) + ")";
    }
    if (!result.corrections.empty())
        for (spin_system_t &system : systems)
            for (spin_shift_t &shift : system.shifts) shift.ppm += correction[shift_kind_of(shift.nucleus, shift.ppm)];
    return result;
}

std::string referencing_table_text(const referencing_result_t &result) {
    std::string text = "kind\toffset_ppm\tuncertainty_ppm\tspin_systems\taction\n";
    for (int k = 0; k < shift_kinds; k++) {
        const offset_estimate_t &estimate = result.estimates[k];
        const offset_action_t action = result.actions[k];
        const bool has_offset = estimate.estimated || action == offset_action_t::imposed;
        const bool counted = action != offset_action_t::not_checked || estimate.spin_systems > 0;
        text += std::string(shift_kind_key(k)) + "\t" + (has_offset ? formatted("%.3f", estimate.offset) : "") + "\t" +
                (estimate.estimated ? formatted("%.3f", estimate.uncertainty) : "") + "\t" +
                (counted ? std::to_string(estimate.spin_systems) : "") + "\t" + offset_action_key(action) + "\n";
    }
    return text;
}
