// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: kestrin-assign's stages on arbitrary text read as a shift
// file, and its table and NEF output read back: the table must hold one row
// per spin system and type with probabilities that sum to 1 (or none), and
// the NEF file must be STAR that gives back the predictions and, for other
// formats, the shifts read.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "assign/assign_error.h"
#include "assign/assign_outputs.h"
#include "assign/assign_run.h"
#include "assign/flags.h"
#include "assign/nef_output.h"
#include "formats/format_error.h"
#include "formats/star.h"

namespace {

[[noreturn]] void finding(const std::string &what) {
    fprintf(stderr, "\nfinding: %s\n", what.c_str());
    abort();
}

int selected_types(const run_result_t &run) {
    int count = 0;
    for (bool selected : run.selected) count += selected ? 1 : 0;
    return count;
}

std::vector<std::string> fields_of(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

void check_table(const run_result_t &run) {
    std::istringstream table(table_text(run));
    std::string line;
    std::getline(table, line);
    const std::size_t columns = fields_of(line).size();
    const int types = selected_types(run);
    for (const spin_result_t &spin : run.spins) {
        double sum = 0.0;
        for (int k = 0; k < types; k++) {
            if (!std::getline(table, line)) finding("a table shorter than its spin systems and types");
            const std::vector<std::string> fields = fields_of(line);
            if (fields.size() != columns) finding("a table row of another width: " + line);
            if (!fields[7].empty()) sum += std::stod(fields[7]);
            if (fields[7].empty() != (spin.top < 0)) finding("a probability where there is no top type, or none where there is");
            if (fields[8] == "1" && fields[4] != AA3[spin.top]) finding("rank 1 on a type other than the top one");
        }
        if (spin.top >= 0 && std::fabs(sum - 1.0) > 1e-4) finding("probabilities that do not sum to 1");
        if (spin.shifts == 0 && spin.top >= 0) finding("a top type without a shift");
        if (spin.flags.empty() != joined_flags(spin.flags).empty()) finding("flags");
    }
    if (std::getline(table, line)) finding("a table row after the last spin system");
}

// The predictions frame's rows, read back.
std::size_t frame_rows(const star_file_t &star, const run_result_t &run) {
    std::size_t rows = 0;
    for (const star_block_t &block : star.blocks)
        for (const star_frame_t &frame : block.frames)
            if (frame.name.compare(0, 32, predictions_category) == 0)
                for (const star_loop_t &loop : frame.loops) {
                    // Six columns, and four more of the placement when it ran.
                    if (loop.tags.size() != (run.placement ? 10u : 6u)) finding("a predictions loop of other columns");
                    rows = loop.row_count();
                    std::size_t r = 0;
                    for (const spin_result_t &spin : run.spins) {
                        std::size_t own = 0;
                        // A spin system is its chain and sequence code together:
                        // neighbours may share either one.
                        const std::string chain = run.format == shift_format_t::nef || !spin.system.chain.empty()
                                                      ? spin.system.chain
                                                      : "A";
                        for (; r < loop.row_count(); r++, own++) {
                            if (loop.at(r, 0).text != chain || loop.at(r, 1).text != spin.system.sequence_code) break;
                            if (own > 20) finding("more rows than types");
                        }
                        if (own == 0) finding("a spin system without its rows: " + spin.system.label);
                    }
                }
    return rows;
}

void check_nef(const std::string &text, const run_result_t &run) {
    std::string nef;
    try {
        nef = run.format == shift_format_t::nef ? nef_with_predictions(text, run) : nef_of_run(text, run);
    } catch (const assign_error &) {
        return;  // a value that no STAR form holds, refused rather than written wrong
    }
    if (run.format == shift_format_t::nef && nef.compare(0, text.size(), text) != 0) finding("the NEF input changed");
    try {
        const star_file_t star = read_star(nef);
        if (!run.spins.empty() && frame_rows(star, run) == 0) finding("no predictions read back");
        if (run.format != shift_format_t::nef) {
            const shift_file_t file = read_shift_file(nef);
            const spin_grouping_t again = group_spin_systems(file.lists[0], file.format);
            std::size_t shifts = 0, before = 0;
            for (const spin_system_t &system : again.systems) shifts += system.shifts.size();
            for (const spin_result_t &spin : run.spins) before += spin.system.shifts.size();
            if (shifts != before) finding("the NEF shift list gives other shifts");
        }
    } catch (const format_error &error) {
        finding(std::string("the NEF file does not read back: ") + error.what());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    if (size > 16384) return 0;
    const std::string text(reinterpret_cast<const char *>(bytes), size);
    for (bool hide : {false, true}) {
        assign_options_t options;
        options.input = "fuzz";
        options.stats_file = std::string(KESTRIN_E2E_INPUTS) + "/stats5.txt";
        options.atoms_file = std::string(KESTRIN_E2E_INPUTS) + "/atoms5.txt";
        options.model = model_t::cfpi;
        options.hide_types = hide;
        options.threads = 1;
        std::string messages;
        run_result_t run;
        try {
            run = assign_types(options, text, messages);
        } catch (const assign_error &) {
            return 0;
        }
        check_table(run);
        check_nef(text, run);
    }
    return 0;
}
