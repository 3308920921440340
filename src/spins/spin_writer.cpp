// SPDX-License-Identifier: GPL-3.0-or-later
// Writing spin systems in kestrin's input format.
#include "spins/spin_writer.h"

#include "formats/format_error.h"
#include "input/records.h"

namespace {

void check_label(const spin_system_t &system) {
    for (char c : system.label) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '"' || c == '<' || c == '>' || c == '&')
            throw format_error(system.line, "the spin system's identifiers '" + quoted_for_message(system.label) +
                                                "' hold a character that its name in kestrin's input cannot "
                                                "carry (a quote, <, >, & or a control character)");
    }
}

void append_nucleus(std::string &text, const std::vector<spin_shift_t> &shifts, char nucleus) {
    std::string values;
    int count = 0;
    for (const spin_shift_t &shift : shifts)
        if (shift.nucleus == nucleus) {
            if (count++ > 0) values += ' ';
            values += shift.value;
        }
    if (count == 0) return;
    text += "  <cs type=\"";
    text += nucleus;
    text += "\" n=\"" + std::to_string(count) + "\">\n" + values + "\n";
}

}  // namespace

std::string comment_safe(const std::string &text) {
    std::string safe;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '-' && !safe.empty() && safe.back() == '-') safe += ' ';
        safe += u < 0x20 || u == 0x7f ? '?' : c;
    }
    return safe;
}

std::string spin_systems_text(const std::vector<spin_system_t> &systems, const std::string &comment,
                              bool hide_types, bool previous) {
    std::string text = "<!-- " + comment_safe(comment) + " -->\n";
    for (const spin_system_t &system : systems) {
        check_label(system);
        const char *type = hide_types || system.amino_acid < 0 ? "UNK" : AA3[system.amino_acid];
        text += std::string("<res type=\"") + type + "\" name=\"" + system.label + "\">\n";
        for (char nucleus : {'H', 'C', 'N'}) append_nucleus(text, system.shifts, nucleus);
        text += "</res>\n";
        if (!previous || system.previous.empty()) continue;
        text += "<res type=\"UNK\" name=\"" + system.label + "-1\" precedes=\"" + system.label + "\">\n";
        for (char nucleus : {'H', 'C', 'N'}) append_nucleus(text, system.previous, nucleus);
        text += "</res>\n";
    }
    return text;
}
