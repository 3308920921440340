// SPDX-License-Identifier: GPL-3.0-or-later
// Sequences read from shift files and from sequence files.
#include "formats/sequence.h"

#include <cctype>
#include <map>
#include <set>

#include "formats/atom_names.h"
#include "formats/format_error.h"
#include "formats/star.h"

namespace {

std::string lower(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string category_of(const std::string &tag) {
    const std::size_t dot = tag.find('.');
    return lower(dot == std::string::npos ? tag : tag.substr(0, dot));
}

bool is_loop_of(const star_loop_t &loop, const char *category) {
    return !loop.tags.empty() && category_of(loop.tags[0]) == category;
}

std::string text_of(const star_loop_t &loop, std::size_t row, int column) {
    if (column < 0) return "";
    const star_value_t &value = loop.at(row, column);
    return is_star_null(value) ? "" : value.text;
}

const star_item_t *item_of(const star_frame_t &frame, const std::string &tag) {
    for (const star_item_t &item : frame.items)
        if (lower(item.tag) == lower(tag)) return &item;
    return nullptr;
}

sequence_residue_t residue(const std::string &chain, const std::string &code, const std::string &name,
                           bool one_letter) {
    return {chain, code, name, amino_acid_of_name(name, one_letter)};
}

// The chains the list's rows name, in the order they first appear.
std::vector<std::string> list_chains(const shift_list_t &list) {
    std::vector<std::string> chains;
    std::set<std::string> seen;
    for (const shift_row_t &row : list.rows)
        if (!row.chain.empty() && seen.insert(row.chain).second) chains.push_back(row.chain);
    return chains;
}

// Of the sequence's chains, those the list names; all of them when it names none.
std::set<std::string> wanted_chains(const std::vector<std::string> &sequence_chains, const shift_list_t &list) {
    std::set<std::string> named;
    const std::set<std::string> known(sequence_chains.begin(), sequence_chains.end());
    for (const std::string &chain : list_chains(list))
        if (known.count(chain)) named.insert(chain);
    return named.empty() ? known : named;
}

// --- NEF ---------------------------------------------------------------------

std::optional<sequence_t> nef_sequence(const star_file_t &star, const shift_list_t &list) {
    for (const star_block_t &block : star.blocks)
        for (const star_frame_t &frame : block.frames)
            for (const star_loop_t &loop : frame.loops) {
                if (!is_loop_of(loop, "_nef_sequence")) continue;
                const int chain = loop.column("_nef_sequence.chain_code");
                const int code = loop.column("_nef_sequence.sequence_code");
                const int name = loop.column("_nef_sequence.residue_name");
                if (chain < 0 || code < 0 || name < 0)
                    throw format_error(loop.line, "the _nef_sequence loop lacks chain_code, sequence_code or "
                                                  "residue_name");
                std::vector<std::string> chains;
                for (std::size_t r = 0; r < loop.row_count(); r++) chains.push_back(text_of(loop, r, chain));
                const std::set<std::string> wanted = wanted_chains(chains, list);
                sequence_t sequence;
                sequence.source = "_nef_sequence";
                for (std::size_t r = 0; r < loop.row_count(); r++)
                    if (wanted.count(chains[r]))
                        sequence.residues.push_back(
                            residue(chains[r], text_of(loop, r, code), text_of(loop, r, name), false));
                return sequence;
            }
    return std::nullopt;
}

// --- NMR-STAR 3 ----------------------------------------------------------------

struct entity_residues_t {
    std::vector<std::pair<std::string, std::string>> residues;  // sequence code, residue name
};

// The residues of each entity from the loops of one category, "_entity_comp_index"
// (ID, Comp_ID) or "_entity_poly_seq" (Comp_index_ID or Num, Mon_ID).
std::map<std::string, entity_residues_t> entity_residues(const star_file_t &star, const char *category) {
    const bool comp_index = std::string(category) == "_entity_comp_index";
    const std::string prefix = comp_index ? "_Entity_comp_index." : "_Entity_poly_seq.";
    std::map<std::string, entity_residues_t> entities;
    for (const star_block_t &block : star.blocks)
        for (const star_frame_t &frame : block.frames)
            for (const star_loop_t &loop : frame.loops) {
                if (!is_loop_of(loop, category)) continue;
                int code = loop.column(prefix + (comp_index ? "ID" : "Comp_index_ID"));
                if (code < 0 && !comp_index) code = loop.column(prefix + "Num");
                const int name = loop.column(prefix + (comp_index ? "Comp_ID" : "Mon_ID"));
                const int entity = loop.column(prefix + "Entity_ID");
                if (code < 0 || name < 0)
                    throw format_error(loop.line, "the " + prefix.substr(0, prefix.size() - 1) +
                                                      " loop lacks the residue number or name");
                const star_item_t *frame_entity = item_of(frame, "_Entity.ID");
                for (std::size_t r = 0; r < loop.row_count(); r++) {
                    std::string id = text_of(loop, r, entity);
                    if (id.empty() && frame_entity != nullptr) id = frame_entity->value.text;
                    entities[id].residues.emplace_back(text_of(loop, r, code), text_of(loop, r, name));
                }
            }
    return entities;
}

// Entity assembly (the chain of the shift rows) → entity, in the order of
// the _Entity_assembly loop.
std::vector<std::pair<std::string, std::string>> entity_assemblies(const star_file_t &star) {
    std::vector<std::pair<std::string, std::string>> assemblies;
    for (const star_block_t &block : star.blocks)
        for (const star_frame_t &frame : block.frames)
            for (const star_loop_t &loop : frame.loops) {
                if (!is_loop_of(loop, "_entity_assembly")) continue;
                const int id = loop.column("_Entity_assembly.ID");
                const int entity = loop.column("_Entity_assembly.Entity_ID");
                if (id < 0 || entity < 0) continue;
                for (std::size_t r = 0; r < loop.row_count(); r++)
                    assemblies.emplace_back(text_of(loop, r, id), text_of(loop, r, entity));
            }
    return assemblies;
}

std::optional<sequence_t> nmrstar_sequence(const star_file_t &star, const shift_list_t &list) {
    sequence_t sequence;
    sequence.source = "_Entity_comp_index";
    std::map<std::string, entity_residues_t> entities = entity_residues(star, "_entity_comp_index");
    if (entities.empty()) {
        sequence.source = "_Entity_poly_seq";
        entities = entity_residues(star, "_entity_poly_seq");
    }
    if (entities.empty()) return std::nullopt;
    std::vector<std::pair<std::string, std::string>> assemblies = entity_assemblies(star);
    // Without assemblies, an entity's ID is what the shift rows name as its chain.
    if (assemblies.empty())
        for (const auto &entity : entities) assemblies.emplace_back(entity.first, entity.first);
    std::vector<std::string> chains;
    for (const auto &assembly : assemblies) chains.push_back(assembly.first);
    const std::set<std::string> wanted = wanted_chains(chains, list);
    for (const auto &[chain, entity] : assemblies) {
        if (!wanted.count(chain)) continue;
        const auto found = entities.find(entity);
        if (found == entities.end()) continue;
        for (const auto &[code, name] : found->second.residues)
            sequence.residues.push_back(residue(chain, code, name, false));
    }
    return sequence;
}

// --- NMR-STAR 2.1 --------------------------------------------------------------

// One-letter codes of a text, blanks left out; false at any other character.
bool letters_of(const std::string &text, std::string &letters) {
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isalpha(static_cast<unsigned char>(c))) return false;
        letters += c;
    }
    return true;
}

std::optional<sequence_t> nmrstar2_sequence(const star_file_t &star) {
    sequence_t sequence;
    sequence.source = "_Mol_residue_sequence";
    bool found = false;
    for (const star_block_t &block : star.blocks)
        for (const star_frame_t &frame : block.frames) {
            const star_item_t *category = item_of(frame, "_Saveframe_category");
            const star_item_t *text = item_of(frame, "_Mol_residue_sequence");
            const star_item_t *polymer_class = item_of(frame, "_Mol_polymer_class");
            if (category == nullptr || lower(category->value.text) != "monomeric_polymer" || text == nullptr)
                continue;
            if (polymer_class != nullptr && !is_star_null(polymer_class->value) &&
                lower(polymer_class->value.text).find("protein") == std::string::npos)
                continue;
            if (is_star_null(text->value)) continue;
            std::string letters;
            if (!letters_of(text->value.text, letters))
                throw format_error(text->value.line, "the _Mol_residue_sequence holds a character that is no "
                                                     "one-letter residue code");
            // The residue loop numbers the letters when it has one row for each.
            const star_loop_t *numbered = nullptr;
            for (const star_loop_t &loop : frame.loops)
                if (loop.column("_Residue_seq_code") >= 0 && loop.column("_Residue_label") >= 0 &&
                    loop.row_count() == letters.size())
                    numbered = &loop;
            found = true;
            for (std::size_t i = 0; i < letters.size(); i++) {
                const std::string code = numbered ? text_of(*numbered, i, numbered->column("_Residue_seq_code"))
                                                  : std::to_string(i + 1);
                sequence.residues.push_back({"", code, std::string(1, letters[i]), amino_acid_of_letter(letters[i])});
            }
        }
    if (!found) return std::nullopt;
    return sequence;
}

// --- TALOS ---------------------------------------------------------------------

std::optional<sequence_t> talos_sequence(const std::string &text) {
    std::string letters;
    long first = 1;
    bool found = false;
    long number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        number++;
        std::vector<std::string> words;
        for (std::size_t i = start; i < end;) {
            while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) i++;
            const std::size_t word = i;
            while (i < end && !std::isspace(static_cast<unsigned char>(text[i]))) i++;
            if (i > word) words.push_back(text.substr(word, i - word));
        }
        if (words.size() >= 2 && words[0] == "DATA" && words[1] == "SEQUENCE") {
            found = true;
            for (std::size_t w = 2; w < words.size(); w++)
                if (!letters_of(words[w], letters))
                    throw format_error(number, "the DATA SEQUENCE line holds '" + quoted_for_message(words[w]) +
                                                   "', which is not one-letter residue codes");
        } else if (words.size() >= 3 && words[0] == "DATA" && words[1] == "FIRST_RESID") {
            char *rest = nullptr;
            first = strtol(words[2].c_str(), &rest, 10);
            if (*rest != '\0') throw format_error(number, "DATA FIRST_RESID is not a whole number");
        }
        start = end + 1;
    }
    if (!found) return std::nullopt;
    sequence_t sequence;
    sequence.source = "DATA SEQUENCE";
    for (std::size_t i = 0; i < letters.size(); i++)
        sequence.residues.push_back({"", std::to_string(first + static_cast<long>(i)), std::string(1, letters[i]),
                                     amino_acid_of_letter(letters[i])});
    return sequence;
}

}  // namespace

int amino_acid_of_letter(char letter) {
    static const char letters[] = "ARDNCEQGHILKMFPSTWYV";  // AA1: the order of AA3
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (int a = 0; a < 20; a++)
        if (letters[a] == upper) return a;
    return -1;
}

std::optional<sequence_t> read_file_sequence(const std::string &text, shift_format_t format,
                                             const shift_list_t &list) {
    switch (format) {
    case shift_format_t::nef: return nef_sequence(read_star(text), list);
    case shift_format_t::nmrstar: return nmrstar_sequence(read_star(text), list);
    case shift_format_t::nmrstar2: return nmrstar2_sequence(read_star(text));
    case shift_format_t::talos: return talos_sequence(text);
    case shift_format_t::sparky: return std::nullopt;
    case shift_format_t::kestrin: return std::nullopt;
    }
    return std::nullopt;
}

sequence_t read_sequence_text(const std::string &text) {
    sequence_t sequence;
    bool fasta = false;
    long number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        number++;
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && (line[0] == '>' || line[0] == ';')) {
            fasta = true;
            continue;
        }
        for (char c : line) {
            if (std::isspace(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) ||
                c == '*')
                continue;
            if (!std::isalpha(static_cast<unsigned char>(c)))
                throw format_error(number, "'" + quoted_for_message(std::string(1, c)) +
                                               "' is not a one-letter residue code");
            sequence.residues.push_back({"", "", std::string(1, c), amino_acid_of_letter(c)});
        }
    }
    if (sequence.residues.empty()) throw format_error(0, "no residue (one-letter codes, or FASTA records)");
    sequence.source = fasta ? "FASTA" : "one-letter text";
    return sequence;
}
