// SPDX-License-Identifier: GPL-3.0-or-later
// The NEF frame of the predictions, and a NEF file for input of other formats.
#include "assign/nef_output.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <set>

#include "assign/assign_error.h"
#include "assign/flags.h"
#include "formats/atom_names.h"
#include "formats/star.h"
#include "input/records.h"

namespace {

// Probabilities the frame lists: at least this.
constexpr double listed_probability = 0.01;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string lower(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// True when the text, written bare, would be read back as itself: no blank,
// no leading character that opens something else, no STAR keyword, no null.
bool can_be_bare(const std::string &text) {
    if (text.empty() || text == "." || text == "?") return false;
    for (char c : text)
        if (is_blank(c)) return false;
    if (std::string("_#$'\";[]").find(text[0]) != std::string::npos) return false;
    const std::string low = lower(text);
    if (low.compare(0, 5, "data_") == 0 || low.compare(0, 5, "save_") == 0) return false;
    return low != "loop_" && low != "stop_" && low != "global_";
}

// A quoted value ends at its quote followed by a blank, so the quote may
// stand inside it anywhere else.
bool can_be_quoted(const std::string &text, char quote) {
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' || text[i] == '\r') return false;
        if (text[i] == quote && i + 1 < text.size() && is_blank(text[i + 1])) return false;
    }
    return true;
}

std::string formatted(const char *format, double value) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

// A loop: its tags, then its rows, each value already a STAR value, columns
// aligned; a text field stands on lines of its own.
std::string loop_text(const std::string &indent, const std::vector<std::string> &tags,
                      const std::vector<std::vector<std::string>> &rows) {
    std::vector<std::size_t> width(tags.size(), 0);
    for (const auto &row : rows)
        for (std::size_t c = 0; c < row.size(); c++)
            if (row[c].find('\n') == std::string::npos) width[c] = std::max(width[c], row[c].size());
    std::string text = indent + "loop_\n";
    for (const std::string &tag : tags) text += indent + "   " + tag + "\n";
    text += "\n";
    for (const auto &row : rows) {
        std::string line = indent + "   ";
        for (std::size_t c = 0; c < row.size(); c++) {
            if (row[c].find('\n') != std::string::npos) {
                line += row[c] + "\n" + indent + "   ";
                continue;
            }
            line += row[c];
            if (c + 1 < row.size()) line += std::string(width[c] - row[c].size() + 2, ' ');
        }
        text += line + "\n";
    }
    return text + "\n" + indent + "stop_\n";
}

std::string item_lines(const std::string &category, const std::vector<std::pair<std::string, std::string>> &items) {
    std::size_t width = 0;
    for (const auto &item : items) width = std::max(width, category.size() + 2 + item.first.size());
    std::string text;
    for (const auto &[name, value] : items) {
        const std::string tag = "_" + category + "." + name;
        const std::string written = star_value(value);
        text += "   " + tag + (written.find('\n') != std::string::npos ? "" : std::string(width - tag.size() + 2, ' ')) +
                written + "\n";
    }
    return text;
}

std::string chain_code(const std::string &chain) { return chain.empty() ? "A" : chain; }

// The frame code a name becomes: its letters, digits and "_-." kept, any
// other character as '_'.
std::string code_of(const std::string &name, const char *otherwise) {
    std::string code;
    for (char c : name)
        code += std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ? c : '_';
    return code.empty() ? otherwise : code;
}

std::string shift_list_code(const run_result_t &run) {
    return "nef_chemical_shift_list_" + code_of(run.list_name, "default");
}

std::string predictions_frame(const run_result_t &run, const std::string &framecode, const std::string &list_code) {
    std::string text = "save_" + framecode + "\n";
    std::vector<std::pair<std::string, std::string>> items = {{"sf_category", predictions_category},
                                              {"sf_framecode", framecode},
                                              {"program_name", "kestrin-assign"},
                                              {"program_version", KESTRIN_VERSION},
                                              {"chemical_shift_list", list_code},
                                              {"statistics", run.statistics},
                                              {"atom_selection", run.atoms_file},
                                              {"model", model_key(run.model)},
                                              {"prior", prior_method_key(run.prior)},
                                              {"atoms_used", run.atoms_used},
                                              {"sequence", run.sequence ? run.sequence_note : "none"}};
    if (!run.referencing.corrections.empty()) items.push_back({"shift_corrections", run.referencing.corrections});
    text += item_lines(predictions_category, items);
    text += "\n";
    const std::string loop = std::string("_") + prediction_loop_category + ".";
    std::vector<std::vector<std::string>> rows;
    for (const spin_result_t &spin : run.spins) {
        const std::string chain = star_value(run.format == shift_format_t::nef ? spin.system.chain
                                                                              : chain_code(spin.system.chain));
        const std::string code = star_value(spin.system.sequence_code);
        // No flags is a null, as NEF writes a value that does not apply.
        const std::string flags = spin.flags.empty() ? "." : star_value(joined_flags(spin.flags));
        // The placement's suggestion: the residue, its probability and class.
        std::vector<std::string> place;
        if (run.placement) {
            const bool placed = !spin.position.empty();
            place = {placed ? star_value(spin.position_chain.empty() ? "A" : spin.position_chain) : ".",
                     placed ? star_value(spin.position_code) : ".",
                     placed ? formatted("%.4f", spin.position_probability) : ".",
                     spin.position_class.empty() ? "." : spin.position_class};
        }
        if (spin.top < 0) {
            rows.push_back({chain, code, ".", ".", ".", flags});
            rows.back().insert(rows.back().end(), place.begin(), place.end());
            continue;
        }
        for (int t : ranked_types(run, spin)) {
            if (spin.probability[t] < listed_probability) break;
            rows.push_back({chain, code, AA3[t], formatted("%.6f", spin.probability[t]), std::to_string(spin.rank[t]),
                            flags});
            rows.back().insert(rows.back().end(), place.begin(), place.end());
        }
    }
    std::vector<std::string> tags = {loop + "chain_code", loop + "sequence_code", loop + "residue_name",
                                     loop + "probability", loop + "rank", loop + "flags"};
    if (run.placement)
        tags.insert(tags.end(), {loop + "suggested_chain_code", loop + "suggested_sequence_code",
                                 loop + "position_probability", loop + "position_class"});
    text += loop_text("   ", tags, rows);
    return text + "save_\n";
}

// The date of the file: SOURCE_DATE_EPOCH when set (reproducible output),
// else now, in UTC.
std::string creation_date() {
    time_t when = time(nullptr);
    if (const char *epoch = getenv("SOURCE_DATE_EPOCH")) {
        char *end = nullptr;
        const long long seconds = strtoll(epoch, &end, 10);
        if (*epoch != '\0' && *end == '\0') when = static_cast<time_t>(seconds);
    }
    struct tm utc;
    gmtime_r(&when, &utc);
    char text[32];
    strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    return text;
}

// FNV-1a of the text, for the file's identifier.
std::string text_hash(const std::string &text) {
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    snprintf(hex, sizeof hex, "%016llx", hash);
    return hex;
}

std::string atom_name_in_nef(const spin_system_t &system, const spin_shift_t &shift) {
    if (system.amino_acid < 0) return shift.atom;
    for (const residue_atom_t &atom : amino_acid_atoms(system.amino_acid))
        if (atom.name == shift.atom && atom.nucleus == shift.nucleus && atom.methyl) return shift.atom + "%";
    return shift.atom;
}

std::string molecular_system(const run_result_t &run) {
    std::vector<std::vector<std::string>> rows;
    if (run.sequence) {
        const std::vector<sequence_residue_t> &residues = run.sequence->residues;
        int index = 0;
        for (std::size_t i = 0; i < residues.size(); i++) {
            const sequence_residue_t &residue = residues[i];
            const bool first = i == 0 || residues[i - 1].chain != residue.chain;
            const bool last = i + 1 == residues.size() || residues[i + 1].chain != residue.chain;
            index = first ? 1 : index + 1;
            const std::string name =
                residue.amino_acid >= 0 ? AA3[residue.amino_acid] : residue.residue_name.size() == 1 ? "UNK"
                                                                                                    : residue.residue_name;
            rows.push_back({std::to_string(i + 1), star_value(chain_code(residue.chain)),
                            star_value(residue.sequence_code.empty() ? std::to_string(index) : residue.sequence_code),
                            star_value(name), first && last ? "single" : first ? "start" : last ? "end" : "middle",
                            ".", "."});
        }
    } else {
        std::set<std::pair<std::string, std::string>> seen;
        for (const spin_result_t &spin : run.spins) {
            const spin_system_t &system = spin.system;
            if (system.amino_acid < 0 || !seen.insert({system.chain, system.sequence_code}).second) continue;
            rows.push_back({std::to_string(rows.size() + 1), star_value(chain_code(system.chain)),
                            star_value(system.sequence_code), AA3[system.amino_acid], ".", ".", "."});
        }
    }
    std::string text = "save_nef_molecular_system\n";
    text += item_lines("nef_molecular_system",
                       {{"sf_category", "nef_molecular_system"}, {"sf_framecode", "nef_molecular_system"}});
    text += "\n";
    const std::string loop = "_nef_sequence.";
    text += loop_text("   ", {loop + "index", loop + "chain_code", loop + "sequence_code", loop + "residue_name",
                              loop + "linking", loop + "residue_variant", loop + "cis_peptide"},
                      rows);
    return text + "save_\n";
}

std::string shift_list(const run_result_t &run, const std::string &code) {
    std::vector<std::vector<std::string>> rows;
    for (const spin_result_t &spin : run.spins) {
        const spin_system_t &system = spin.system;
        for (const spin_shift_t &shift : system.shifts)
            rows.push_back({star_value(chain_code(system.chain)), star_value(system.sequence_code),
                            system.amino_acid >= 0 ? AA3[system.amino_acid] : ".",
                            star_value(atom_name_in_nef(system, shift)), star_value(shift.value), ".",
                            std::string(1, shift.nucleus),
                            shift.nucleus == 'H' ? "1" : shift.nucleus == 'C' ? "13" : "15"});
    }
    std::string text = "save_" + code + "\n";
    text += item_lines("nef_chemical_shift_list", {{"sf_category", "nef_chemical_shift_list"},
                                                   {"sf_framecode", code},
                                                   {"atom_chemical_shift_units", "ppm"}});
    text += "\n";
    const std::string loop = "_nef_chemical_shift.";
    text += loop_text("   ", {loop + "chain_code", loop + "sequence_code", loop + "residue_name", loop + "atom_name",
                              loop + "value", loop + "value_uncertainty", loop + "element", loop + "isotope_number"},
                      rows);
    return text + "save_\n";
}

}  // namespace

const char *const predictions_category = "kestrin_residue_type_predictions";
const char *const prediction_loop_category = "kestrin_residue_type_prediction";

std::string star_value(const std::string &text) {
    if (can_be_bare(text)) return text;
    if (text.empty()) return "''";
    if (can_be_quoted(text, '\'')) return "'" + text + "'";
    if (can_be_quoted(text, '"')) return "\"" + text + "\"";
    if (text.find("\n;") != std::string::npos || text.find("\r;") != std::string::npos)
        throw assign_error("the value '" + quoted_for_message(text) + "' cannot be written in a STAR file");
    // A text field opens with a semicolon at the start of a line, wherever the value is placed.
    return "\n;" + text + "\n;";
}

std::string nef_with_predictions(const std::string &input_text, const run_result_t &run) {
    std::set<std::string> names;
    try {
        for (const star_block_t &block : read_star(input_text).blocks)
            for (const star_frame_t &frame : block.frames) names.insert(lower(frame.name));
    } catch (const format_error &) {
        // The file was read as NEF already; a reader that fails now changes nothing.
    }
    std::string framecode = predictions_category;
    for (int n = 2; names.count(lower(framecode)); n++)
        framecode = std::string(predictions_category) + "_" + std::to_string(n);
    std::string text = input_text;
    if (!text.empty() && text.back() != '\n') text += "\n";
    return text + "\n" + predictions_frame(run, framecode, run.list_name) + "\n";
}

std::string nef_of_run(const std::string &input_text, const run_result_t &run) {
    std::string base = run.input;
    base = base.substr(base.rfind('/') == std::string::npos ? 0 : base.rfind('/') + 1);
    base = base.substr(0, base.find('.'));
    const std::string date = creation_date();
    const std::string list = shift_list_code(run);
    const std::string block = run.input == "standard input" ? "kestrin_assign" : code_of(base, "kestrin_assign");
    std::string text = "data_" + block + "\n\n";
    text += "save_nef_nmr_meta_data\n";
    text += item_lines("nef_nmr_meta_data", {{"sf_category", "nef_nmr_meta_data"},
                                             {"sf_framecode", "nef_nmr_meta_data"},
                                             {"format_name", "nmr_exchange_format"},
                                             {"format_version", "1.1"},
                                             {"program_name", "kestrin-assign"},
                                             {"program_version", KESTRIN_VERSION},
                                             {"creation_date", date},
                                             {"uuid", "kestrin-assign-" + date + "-" + text_hash(input_text)}});
    text += "save_\n\n";
    text += molecular_system(run) + "\n";
    text += shift_list(run, list) + "\n";
    text += predictions_frame(run, predictions_category, list) + "\n";
    return text;
}
