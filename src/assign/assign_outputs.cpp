// SPDX-License-Identifier: GPL-3.0-or-later
// The summary, the table and the picture of a kestrin-assign run.
#include "assign/assign_outputs.h"

#include <algorithm>
#include <cmath>

#include "assign/flags.h"
#include "input/records.h"
#include "report/plot.h"

namespace {

// Probabilities the summary shows: at least this, at most this many types.
constexpr double shown_probability = 0.01;
constexpr int shown_types = 5;

std::string formatted(const char *format, double value) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

// A field of the summary: blanks inside it would split it for awk.
std::string summary_field(const std::string &text) {
    if (text.empty()) return "-";
    std::string field = text;
    for (char &c : field)
        if (std::isspace(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) < 0x20) c = '_';
    return field;
}

std::string padded(const std::string &text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string top_types(const run_result_t &run, const spin_result_t &spin) {
    if (spin.top < 0) return "-";
    std::string text;
    int shown = 0;
    for (int t : ranked_types(run, spin)) {
        if (shown == shown_types || spin.probability[t] < shown_probability) break;
        text += (shown++ ? "," : "") + std::string(AA3[t]) + ":" + formatted("%.2f", spin.probability[t]);
    }
    return text;
}

std::string format_line(const run_result_t &run) {
    std::string text = std::string(shift_format_title(run.format));
    if (!run.list_name.empty()) text += ", shift list '" + run.list_name + "'";
    return text;
}

}  // namespace

std::string table_field(std::string text) {
    for (char &c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string summary_text(const run_result_t &run) {
    long to_predict = 0;
    for (const spin_result_t &spin : run.spins) to_predict += spin.predicted ? 1 : 0;
    std::string text = "# kestrin-assign " KESTRIN_VERSION ": residue types from chemical shifts\n";
    text += "# file: " + run.input + " (" + format_line(run) + ")\n";
    text += "# statistics: " + run.statistics + "; atoms: " + run.atoms_file + "\n";
    text += std::string("# model: ") + model_key(run.model) + "\n";
    text += std::string("# prior: ") + prior_method_key(run.prior) + "\n";
    text += "# atoms used: " + run.atoms_used + "\n";
    text += "# sequence: " + (run.sequence ? run.sequence_note : std::string("none")) + "\n";
    if (!run.referencing.corrections.empty())
        text += "# shifts corrected before scoring: " + run.referencing.corrections + "\n";
    text += "# spin systems: " + std::to_string(run.spins.size()) + " (" + std::to_string(to_predict) +
            " to predict, " + std::to_string(run.spins.size() - to_predict) + " assigned)\n";
    if (run.placement) text += "# placement: " + run.placement_note + "\n";

    std::vector<std::vector<std::string>> rows;
    for (const spin_result_t &spin : run.spins) {
        const bool declared = spin.declared >= 0;
        const int rank = declared ? spin.rank[spin.declared] : 0;
        rows.push_back({summary_field(spin.system.label), declared ? AA3[spin.declared] : "-",
                        rank > 0 ? std::to_string(rank) : "-", top_types(run, spin),
                        summary_field(joined_flags(spin.flags))});
        if (run.placement) {
            const bool placed = !spin.position.empty();
            rows.back().push_back(placed ? summary_field(spin.position) : "-");
            rows.back().push_back(placed || !spin.position_class.empty() ? formatted("%.2f", spin.position_probability)
                                                                          : "-");
            rows.back().push_back(spin.runner_up.empty() ? "-"
                                                         : summary_field(spin.runner_up) + ":" +
                                                               formatted("%.2f", spin.runner_up_probability));
        }
    }
    std::vector<std::string> heading = {"# name", "declared", "rank", "types", "flags"};
    // The placement's fields come after the first five, which keep their places.
    if (run.placement) heading.insert(heading.end(), {"position", "p_position", "runner_up"});
    std::vector<std::size_t> width(heading.size());
    for (std::size_t c = 0; c < heading.size(); c++) {
        width[c] = heading[c].size();
        for (const auto &row : rows) width[c] = std::max(width[c], row[c].size());
    }
    auto line = [&](const std::vector<std::string> &fields) {
        std::string out;
        for (std::size_t c = 0; c < fields.size(); c++)
            out += c + 1 < fields.size() ? padded(fields[c], width[c]) + "  " : fields[c];
        return out + "\n";
    };
    text += line(heading);
    for (const auto &row : rows) text += line(row);
    return text;
}

std::string table_text(const run_result_t &run) {
    std::string text = "name\tchain\tsequence_code\tdeclared\ttype\tscore\tprior\tprobability\trank\tflags\t"
                       "observed_share\tfit\tfarthest_sd";
    text += run.placement ? "\tposition\tposition_probability\trunner_up\tposition_class\n" : "\n";
    for (const spin_result_t &spin : run.spins) {
        const std::string head = table_field(spin.system.label) + "\t" + table_field(spin.system.chain) + "\t" +
                                 table_field(spin.system.sequence_code) + "\t" +
                                 (spin.declared >= 0 ? AA3[spin.declared] : "") + "\t";
        const std::string flags = table_field(joined_flags(spin.flags));
        std::string place;
        if (run.placement) {
            const bool known = !spin.position.empty() || !spin.position_class.empty();
            place = "\t" + table_field(spin.position) + "\t" +
                    (known ? formatted("%.4f", spin.position_probability) : "") + "\t" + table_field(spin.runner_up) +
                    "\t" + spin.position_class;
        }
        for (int t : ranked_types(run, spin)) {
            text += head + AA3[t] + "\t";
            text += (spin.scored ? formatted("%.17g", spin.score[t]) : "") + "\t";
            text += formatted("%.6f", spin.prior[t]) + "\t";
            text += (spin.top >= 0 ? formatted("%.6f", spin.probability[t]) : "") + "\t";
            text += (spin.rank[t] > 0 ? std::to_string(spin.rank[t]) : "") + "\t";
            text += flags + "\t";
            text += (std::isnan(spin.observed_share[t]) ? "" : formatted("%.3f", spin.observed_share[t])) + "\t";
            text += (std::isnan(spin.fit[t]) ? "" : formatted("%.3f", spin.fit[t])) + "\t";
            text += (std::isnan(spin.farthest_sd[t]) ? "" : formatted("%.3f", spin.farthest_sd[t])) + place + "\n";
        }
    }
    return text;
}

void write_assign_plot(FILE *out, const run_result_t &run) {
    // The picture reads kestrin's records: the selected types in AA3 order,
    // each spin system with its probabilities as scores, of total 1 (0, drawn
    // as having no shares, without a top type).
    data_t data;
    std::vector<int> types;
    for (int t = 0; t < 20; t++)
        if (run.selected[t]) types.push_back(t);
    data.type_num = static_cast<int>(types.size());
    data.key_num = data.type_num;
    for (int k = 0; k < data.type_num; k++) {
        data.cs_keys.push_back(std::string(AA3[types[k]]) + " - -");
        data.res_num.push_back(k);
        data.cs_num.push_back(0);
    }
    data.spin_num = static_cast<int>(run.spins.size());
    heat_map_t map;
    map.model = model_key(run.model);
    for (const spin_result_t &spin : run.spins) {
        value_data_t v;
        v.name = spin.system.label;
        v.res_type = -1;
        for (int k = 0; k < data.type_num; k++)
            if (types[k] == spin.declared) v.res_type = k;
        for (int k = 0; k < data.type_num; k++) map.scores.push_back(spin.top >= 0 ? spin.probability[types[k]] : 0.0);
        map.totals.push_back(spin.top >= 0 ? 1.0 : 0.0);
        map.flags.push_back(joined_flags(spin.flags));
        data.vdata.push_back(std::move(v));
    }
    plot_t plot;
    plot.program = "kestrin-assign";
    plot.value_name = "probability";
    plot.inputs = run.input + ", statistics " + run.statistics + ", atoms " + run.atoms_file + ", prior " +
                  prior_method_key(run.prior);
    if (!run.referencing.corrections.empty()) plot.inputs += ", shifts corrected: " + run.referencing.corrections;
    plot.maps.push_back(std::move(map));
    write_plot(out, plot, data);
}
