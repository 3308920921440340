// SPDX-License-Identifier: GPL-3.0-or-later
// The readers of the five formats, each giving rows of shifts, and the
// recognition of a format from the content.
#include "formats/shift_table.h"

#include <cctype>
#include <algorithm>
#include <cstdlib>

#include "formats/format_error.h"
#include "formats/star.h"

namespace {

std::string lower(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool same_word(const std::string &a, const char *b) { return lower(a) == lower(b); }

std::string category_of(const std::string &tag) {
    const std::size_t dot = tag.find('.');
    return lower(dot == std::string::npos ? tag : tag.substr(0, dot));
}

// --- STAR formats -----------------------------------------------------------

shift_format_t star_dialect(const star_file_t &file) {
    bool dotted = false;
    auto look = [&](const std::string &tag) {
        if (lower(tag).compare(0, 5, "_nef_") == 0) return true;
        if (tag.find('.') != std::string::npos) dotted = true;
        return false;
    };
    for (const star_block_t &block : file.blocks)
        for (const star_frame_t &frame : block.frames) {
            for (const star_item_t &item : frame.items)
                if (look(item.tag)) return shift_format_t::nef;
            for (const star_loop_t &loop : frame.loops)
                for (const std::string &tag : loop.tags)
                    if (look(tag)) return shift_format_t::nef;
        }
    return dotted ? shift_format_t::nmrstar : shift_format_t::nmrstar2;
}

// The columns of one STAR dialect's shift loop; an empty tag is a column the
// dialect does not have.
struct star_columns_t {
    const char *chain;
    const char *sequence;
    const char *residue;
    const char *atom;
    const char *value;
    const char *element;
    const char *isotope;
    bool chain_required;
};

const star_columns_t nef_columns = {"_nef_chemical_shift.chain_code",   "_nef_chemical_shift.sequence_code",
                                    "_nef_chemical_shift.residue_name", "_nef_chemical_shift.atom_name",
                                    "_nef_chemical_shift.value",        "_nef_chemical_shift.element",
                                    "_nef_chemical_shift.isotope_number", true};
const star_columns_t nmrstar_columns = {"_Atom_chem_shift.Entity_assembly_ID", "_Atom_chem_shift.Comp_index_ID",
                                        "_Atom_chem_shift.Comp_ID",            "_Atom_chem_shift.Atom_ID",
                                        "_Atom_chem_shift.Val",                "_Atom_chem_shift.Atom_type",
                                        "_Atom_chem_shift.Atom_isotope_number", false};
const star_columns_t nmrstar2_columns = {"",          "_Residue_seq_code", "_Residue_label", "_Atom_name",
                                         "_Chem_shift_value", "_Atom_type", "", false};

bool is_shift_loop(const star_loop_t &loop, shift_format_t format) {
    switch (format) {
    case shift_format_t::nef: return !loop.tags.empty() && category_of(loop.tags[0]) == "_nef_chemical_shift";
    case shift_format_t::nmrstar: return !loop.tags.empty() && category_of(loop.tags[0]) == "_atom_chem_shift";
    default:
        // The 2.1 reference loop also has _Chem_shift_value; only the
        // assigned shifts name atoms.
        return loop.column("_Chem_shift_value") >= 0 && loop.column("_Atom_name") >= 0;
    }
}

int required_column(const star_loop_t &loop, const char *tag) {
    const int column = loop.column(tag);
    if (column < 0) throw format_error(loop.line, std::string("the shift loop has no column ") + tag);
    return column;
}

int optional_column(const star_loop_t &loop, const char *tag) { return *tag ? loop.column(tag) : -1; }

std::string text_or_empty(const star_loop_t &loop, std::size_t row, int column) {
    if (column < 0) return "";
    const star_value_t &value = loop.at(row, column);
    return is_star_null(value) ? "" : value.text;
}

shift_list_t star_shift_list(const star_frame_t &frame, const star_loop_t &loop, const star_columns_t &columns) {
    const int chain = columns.chain_required ? required_column(loop, columns.chain) : optional_column(loop, columns.chain);
    const int sequence = required_column(loop, columns.sequence);
    const int residue = required_column(loop, columns.residue);
    const int atom = required_column(loop, columns.atom);
    const int value = required_column(loop, columns.value);
    const int element = optional_column(loop, columns.element);
    const int isotope = optional_column(loop, columns.isotope);

    shift_list_t list;
    list.name = frame.name;
    list.line = frame.name.empty() ? loop.line : frame.line;
    list.rows.reserve(loop.row_count());
    for (std::size_t r = 0; r < loop.row_count(); r++) {
        shift_row_t row;
        // A null where the row says which atom it is leaves the row out: "."
        // as a sequence code would otherwise be one residue called ".",
        // merging every such row. A residue name "." stays: NEF writes it
        // for a residue of unknown type.
        const star_value_t &residue_value = loop.at(r, residue);
        row.chain = text_or_empty(loop, r, chain);
        row.sequence_code = text_or_empty(loop, r, sequence);
        row.residue_name = residue_value.text == "?" && is_star_null(residue_value) ? "" : residue_value.text;
        row.atom_name = text_or_empty(loop, r, atom);
        row.null_identifier = (chain >= 0 && is_star_null(loop.at(r, chain))) ||
                              is_star_null(loop.at(r, sequence)) || is_star_null(loop.at(r, atom)) ||
                              (residue_value.text == "?" && is_star_null(residue_value));
        row.value = text_or_empty(loop, r, value);
        row.element = text_or_empty(loop, r, element);
        row.isotope = text_or_empty(loop, r, isotope);
        row.line = loop.values[r * loop.tags.size()].line;
        list.rows.push_back(std::move(row));
    }
    return list;
}

shift_file_t read_star_shifts(const star_file_t &star, shift_format_t format) {
    const star_columns_t &columns = format == shift_format_t::nef       ? nef_columns
                                    : format == shift_format_t::nmrstar ? nmrstar_columns
                                                                        : nmrstar2_columns;
    shift_file_t file;
    file.format = format;
    for (const star_block_t &block : star.blocks)
        for (const star_frame_t &frame : block.frames)
            for (const star_loop_t &loop : frame.loops)
                if (is_shift_loop(loop, format)) file.lists.push_back(star_shift_list(frame, loop, columns));
    if (file.lists.empty()) {
        const char *what = format == shift_format_t::nef       ? "_nef_chemical_shift loop"
                           : format == shift_format_t::nmrstar ? "_Atom_chem_shift loop"
                                                               : "loop with _Atom_name and _Chem_shift_value";
        throw format_error(0, std::string("no chemical shift list in this ") + shift_format_title(format) +
                                  " file (no " + what + ")");
    }
    return file;
}

// --- Tables of words, one row per line ---------------------------------------

struct text_line_t {
    std::vector<std::string> words;
    long line;
};

std::vector<text_line_t> nonblank_lines(const std::string &text) {
    std::vector<text_line_t> lines;
    long number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        number++;
        text_line_t line{{}, number};
        std::size_t i = start;
        while (i < end) {
            while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) i++;
            const std::size_t word = i;
            while (i < end && !std::isspace(static_cast<unsigned char>(text[i]))) i++;
            if (i > word) line.words.push_back(text.substr(word, i - word));
        }
        if (!line.words.empty() && line.words[0][0] != '#') lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

int column_named(const std::vector<std::string> &names, const char *name, long line, const char *heading) {
    for (std::size_t i = 0; i < names.size(); i++)
        if (same_word(names[i], name)) return static_cast<int>(i);
    throw format_error(line, std::string("the ") + heading + " line has no " + name + " column");
}

std::string too_few_words(std::size_t got, std::size_t needed, const char *what) {
    return std::to_string(got) + (got == 1 ? " word" : " words") + " where " + what + " needs " +
           std::to_string(needed);
}

// TALOS tables write 9999.00 (in any number of decimals) where a residue
// has no shift for the atom.
bool is_talos_placeholder(const std::string &word) {
    char *end = nullptr;
    const double value = strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' && value == 9999.0;
}

shift_file_t read_talos(const std::string &text) {
    shift_file_t file;
    file.format = shift_format_t::talos;
    shift_list_t list;
    std::vector<std::string> vars;
    int resid = 0, resname = 0, atomname = 0, shift = 0;
    std::size_t needed = 0;
    for (const text_line_t &line : nonblank_lines(text)) {
        const std::string &first = line.words[0];
        if (first == "REMARK" || first == "DATA" || first == "FORMAT") continue;
        if (first == "VARS") {
            if (!vars.empty()) throw format_error(line.line, "a second VARS line");
            vars.assign(line.words.begin() + 1, line.words.end());
            if (vars.empty()) throw format_error(line.line, "the VARS line names no column");
            resid = column_named(vars, "RESID", line.line, "VARS");
            resname = column_named(vars, "RESNAME", line.line, "VARS");
            atomname = column_named(vars, "ATOMNAME", line.line, "VARS");
            shift = column_named(vars, "SHIFT", line.line, "VARS");
            needed = std::max({resid, resname, atomname, shift}) + std::size_t(1);
            list.line = line.line;
            continue;
        }
        if (vars.empty()) throw format_error(line.line, "a table row before the VARS line");
        if (line.words.size() < needed)
            throw format_error(line.line, too_few_words(line.words.size(), needed, "the VARS line"));
        shift_row_t row;
        row.sequence_code = line.words[resid];
        row.residue_name = line.words[resname];
        row.atom_name = line.words[atomname];
        row.value = is_talos_placeholder(line.words[shift]) ? std::string() : line.words[shift];
        row.line = line.line;
        list.rows.push_back(std::move(row));
    }
    if (vars.empty()) throw format_error(0, "no VARS line naming the table's columns");
    file.lists.push_back(std::move(list));
    return file;
}

bool is_sparky_header(const text_line_t &line) { return same_word(line.words[0], "Group"); }

// A Sparky nucleus such as "13C": the mass number, then the element.
void split_nucleus(const std::string &nucleus, shift_row_t &row) {
    std::size_t digits = 0;
    while (digits < nucleus.size() && std::isdigit(static_cast<unsigned char>(nucleus[digits]))) digits++;
    row.isotope = nucleus.substr(0, digits);
    row.element = nucleus.substr(digits);
}

// A Sparky group such as "A237" or "Ala237": the residue, then its number.
void split_group(const std::string &group, shift_row_t &row) {
    std::size_t letters = 0;
    while (letters < group.size() && !std::isdigit(static_cast<unsigned char>(group[letters]))) letters++;
    row.residue_name = group.substr(0, letters);
    row.sequence_code = group.substr(letters);
}

shift_file_t read_sparky(const std::string &text) {
    shift_file_t file;
    file.format = shift_format_t::sparky;
    shift_list_t list;
    const std::vector<text_line_t> lines = nonblank_lines(text);
    int group = 0, atom = 1, nucleus = 2, shift = 3;
    std::size_t first = 0;
    if (!lines.empty() && is_sparky_header(lines[0])) {
        const text_line_t &header = lines[0];
        group = column_named(header.words, "Group", header.line, "header");
        atom = column_named(header.words, "Atom", header.line, "header");
        nucleus = column_named(header.words, "Nuc", header.line, "header");
        shift = column_named(header.words, "Shift", header.line, "header");
        first = 1;
    }
    const std::size_t needed = std::max({group, atom, nucleus, shift}) + std::size_t(1);
    list.line = lines.empty() ? 0 : lines[0].line;
    for (std::size_t i = first; i < lines.size(); i++) {
        const text_line_t &line = lines[i];
        if (line.words.size() < needed)
            throw format_error(line.line, too_few_words(line.words.size(), needed, "a resonance (Group Atom Nuc Shift)"));
        shift_row_t row;
        split_group(line.words[group], row);
        row.atom_name = line.words[atom];
        split_nucleus(line.words[nucleus], row);
        row.value = line.words[shift];
        row.line = line.line;
        list.rows.push_back(std::move(row));
    }
    file.lists.push_back(std::move(list));
    return file;
}

bool is_number_word(const std::string &word) {
    char *end = nullptr;
    strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0';
}

std::optional<shift_format_t> table_format(const std::string &text) {
    const std::vector<text_line_t> lines = nonblank_lines(text);
    for (const text_line_t &line : lines)
        if (line.words[0] == "VARS") return shift_format_t::talos;
    if (lines.empty()) return std::nullopt;
    const text_line_t &first = lines[0];
    if (is_sparky_header(first) && first.words.size() >= 4) return shift_format_t::sparky;
    // A list without its header: Group Atom Nuc Shift, the nucleus as "13C".
    if (first.words.size() >= 4 && is_number_word(first.words[3])) {
        shift_row_t probe;
        split_nucleus(first.words[2], probe);
        if (!probe.isotope.empty() && !probe.element.empty()) return shift_format_t::sparky;
    }
    return std::nullopt;
}

}  // namespace

const char *shift_format_key(shift_format_t format) {
    switch (format) {
    case shift_format_t::nef: return "nef";
    case shift_format_t::nmrstar: return "nmrstar";
    case shift_format_t::nmrstar2: return "nmrstar2";
    case shift_format_t::sparky: return "sparky";
    case shift_format_t::talos: return "talos";
    case shift_format_t::kestrin: return "kestrin";
    }
    return "";
}

std::optional<shift_format_t> shift_format_of_key(const std::string &key) {
    for (shift_format_t format : {shift_format_t::nef, shift_format_t::nmrstar, shift_format_t::nmrstar2,
                                  shift_format_t::sparky, shift_format_t::talos})
        if (key == shift_format_key(format)) return format;
    return std::nullopt;
}

const char *shift_format_title(shift_format_t format) {
    switch (format) {
    case shift_format_t::nef: return "NEF";
    case shift_format_t::nmrstar: return "NMR-STAR 3";
    case shift_format_t::nmrstar2: return "NMR-STAR 2.1";
    case shift_format_t::sparky: return "Sparky resonance list";
    case shift_format_t::talos: return "NMRPipe/TALOS table";
    case shift_format_t::kestrin: return "kestrin spin-system file";
    }
    return "";
}

shift_file_t read_shift_file(const std::string &text, std::optional<shift_format_t> format) {
    if (format == shift_format_t::sparky) return read_sparky(text);
    if (format == shift_format_t::talos) return read_talos(text);
    if (!format) {
        if (!looks_like_star(text)) {
            format = table_format(text);
            if (!format)
                throw format_error(0, "not a file of a known format (NEF, NMR-STAR 3 or 2.1, Sparky resonance "
                                      "list, NMRPipe/TALOS table)");
            return format == shift_format_t::sparky ? read_sparky(text) : read_talos(text);
        }
    }
    const star_file_t star = read_star(text);
    return read_star_shifts(star, format ? *format : star_dialect(star));
}
