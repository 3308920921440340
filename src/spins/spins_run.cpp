// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-spins: reads everything and checks it before anything is written,
// so that a failed run leaves standard output empty.
#include "spins/spins_run.h"

#include <cstdio>

#include "formats/file_text.h"
#include "formats/format_error.h"
#include "input/failure.h"
#include "output/output_file.h"
#include "spins/spin_writer.h"

namespace {

std::string shown_name(const std::string &input) { return input == "-" ? "standard input" : input; }

int convert(const spins_options_t &options) {
    std::string current = options.atoms_file ? *options.atoms_file : shown_name(options.input);
    try {
        atom_selection_t selection;
        if (options.atoms_file) selection = read_atom_selection(read_file_text(*options.atoms_file));
        current = shown_name(options.input);
        const shift_file_t file = read_shift_file(read_file_text(options.input), options.format);
        const std::size_t list = choose_shift_list(file, options.list);
        const spin_grouping_t grouping =
            group_spin_systems(file.lists[list], file.format, options.atoms_file ? &selection : nullptr);

        std::string comment = "kestrin-spins " KESTRIN_VERSION ": " + current + ", " + shift_format_title(file.format);
        if (!file.lists[list].name.empty()) comment += ", shift list " + file.lists[list].name;
        if (options.atoms_file) comment += ", atoms of " + *options.atoms_file;
        if (options.hide_types) comment += ", types hidden";
        if (options.previous) comment += ", residues before as NAME-1";
        output_set_t outputs;
        outputs.add_standard_output().write(spin_systems_text(grouping.systems, comment, options.hide_types, options.previous));
        outputs.commit();
        fputs(conversion_summary(current, file, list, grouping).c_str(), stderr);
        return 0;
    } catch (const format_error &error) {
        fputs(format_error_message(current, error).c_str(), stderr);
        return 1;
    }
}

}  // namespace

int kestrin_spins_main(int argc, char **argv) {
    try {
        keep_standard_descriptors_open();
        return convert(parse_spins_options(argc, argv));
    } catch (const run_ended &end) {
        return end.status;
    } catch (const std::bad_alloc &) {
        return report_memory_exhausted("Error: unable to allocate memory");
    }
}
