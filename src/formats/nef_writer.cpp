// SPDX-License-Identifier: GPL-3.0-or-later
// STAR values, items and loops as text, and NEF shift-list files built of them.
#include "formats/nef_writer.h"

#include <cctype>

#include "formats/format_error.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string lower(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Words the reader takes as structure, not as a value.
bool is_keyword(const std::string &text) {
    const std::string low = lower(text);
    return low.compare(0, 5, "data_") == 0 || low.compare(0, 5, "save_") == 0 || low == "loop_" ||
           low == "stop_" || low == "global_";
}

bool may_stand_bare(const star_value_t &value) {
    const std::string &text = value.text;
    if (text.empty() || std::string("'\"_#;[]").find(text[0]) != std::string::npos || is_keyword(text)) return false;
    for (char c : text)
        if (is_blank(c)) return false;
    return value.quoted ? text != "." && text != "?" : true;
}

// A quote closes a quoted value where a blank follows it, so the text may
// hold the quote anywhere else.
bool may_stand_in(const std::string &text, char quote) {
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n') return false;
        if (text[i] == quote && i + 1 < text.size() && is_blank(text[i + 1])) return false;
    }
    return true;
}

bool is_text_field(const std::string &written) { return !written.empty() && written[0] == '\n'; }

void check_name(const std::string &name, const char *what) {
    bool fine = !name.empty();
    for (char c : name) fine = fine && !is_blank(c) && static_cast<unsigned char>(c) >= 0x20;
    if (!fine) throw format_error(0, std::string("the ") + what + " name '" + quoted_for_message(name) +
                                         "' cannot be written in STAR (it is empty or holds a blank)");
}

star_value_t field(const std::string &text) { return text.empty() ? star_null() : star_text(text); }

}  // namespace

star_value_t star_null(bool unknown) { return {unknown ? "?" : ".", 0, false}; }

star_value_t star_text(const std::string &text) { return {text, 0, true}; }

std::string star_value_text(const star_value_t &value) {
    if (!value.quoted && (value.text == "." || value.text == "?")) return value.text;
    if (may_stand_bare(value)) return value.text;
    if (may_stand_in(value.text, '\'')) return "'" + value.text + "'";
    if (may_stand_in(value.text, '"')) return "\"" + value.text + "\"";
    if (value.text.find("\n;") != std::string::npos)
        throw format_error(0, "the value '" + quoted_for_message(value.text) +
                                  "' holds a line starting with ';' and cannot be written in STAR");
    return "\n;" + value.text + "\n;\n";
}

std::string star_item_text(const std::string &tag, const star_value_t &value, const std::string &indent) {
    const std::string written = star_value_text(value);
    return indent + tag + (is_text_field(written) ? written : "  " + written + "\n");
}

std::string star_loop_text(const std::vector<std::string> &tags, const std::vector<std::vector<star_value_t>> &rows,
                           const std::string &indent) {
    std::string text = indent + "loop_\n";
    for (const std::string &tag : tags) text += indent + "   " + tag + "\n";
    text += "\n";
    for (const std::vector<star_value_t> &row : rows) {
        if (row.size() != tags.size())
            throw format_error(0, "a row of " + std::to_string(row.size()) + " values for a loop of " +
                                      std::to_string(tags.size()) + " columns");
        bool line_open = false;
        for (const star_value_t &value : row) {
            const std::string written = star_value_text(value);
            if (is_text_field(written)) {
                text += written;
                line_open = false;
                continue;
            }
            text += (line_open ? "  " : indent + "   ") + written;
            line_open = true;
        }
        if (line_open) text += "\n";
    }
    return text + "\n" + indent + "stop_\n";
}

std::string nef_shift_lists_text(const std::string &data_name, const nef_program_t &program,
                                 const std::vector<shift_list_t> &lists) {
    check_name(data_name, "data block");
    std::string text = "data_" + data_name + "\n\nsave_nef_nmr_meta_data\n";
    const char *const meta = "_nef_nmr_meta_data.";
    const std::pair<const char *, std::string> items[] = {
        {"sf_category", "nef_nmr_meta_data"},    {"sf_framecode", "nef_nmr_meta_data"},
        {"format_name", "nmr_exchange_format"}, {"format_version", "1.1"},
        {"program_name", program.name},          {"program_version", program.version},
    };
    for (const auto &[item, value] : items) text += star_item_text(meta + std::string(item), field(value));
    text += "save_\n";
    const std::string prefix = "nef_chemical_shift_list_";
    for (std::size_t i = 0; i < lists.size(); i++) {
        const shift_list_t &list = lists[i];
        const std::string frame = list.name.compare(0, prefix.size(), prefix) == 0 ? list.name
                                  : prefix + (list.name.empty() ? std::to_string(i + 1) : list.name);
        check_name(frame, "shift list");
        text += "\nsave_" + frame + "\n";
        text += star_item_text("_nef_chemical_shift_list.sf_category", star_text("nef_chemical_shift_list"));
        text += star_item_text("_nef_chemical_shift_list.sf_framecode", star_text(frame));
        text += "\n";
        std::vector<std::vector<star_value_t>> rows;
        rows.reserve(list.rows.size());
        for (const shift_row_t &row : list.rows)
            rows.push_back({field(row.chain), field(row.sequence_code),
                            row.residue_name == "."   ? star_null()
                            : row.residue_name.empty() ? star_null(true)
                                                       : star_text(row.residue_name),
                            field(row.atom_name),
                            field(row.value), field(row.element), field(row.isotope)});
        text += star_loop_text({"_nef_chemical_shift.chain_code", "_nef_chemical_shift.sequence_code",
                                "_nef_chemical_shift.residue_name", "_nef_chemical_shift.atom_name",
                                "_nef_chemical_shift.value", "_nef_chemical_shift.element",
                                "_nef_chemical_shift.isotope_number"},
                               rows);
        text += "save_\n";
    }
    return text;
}
