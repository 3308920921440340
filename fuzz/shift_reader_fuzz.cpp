// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the readers of foreign shift files (STAR for NEF and
// NMR-STAR, Sparky, TALOS, and kestrin's own spin-system files), the grouping into spin systems and the writer,
// on arbitrary text, recognised from the content and read as each format.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "formats/format_error.h"
#include "formats/kestrin_spins.h"
#include "formats/spin_systems.h"
#include "spins/spin_writer.h"

namespace {

const atom_selection_t &backbone_selection() {
    static const atom_selection_t selection =
        read_atom_selection("ALA H H\nALA HA H\nALA HB H\nALA CA C\nALA N N\nGLY HA2 H\nGLY HA3 H\nGLY CA C\n"
                            "VAL HG1 H\nVAL HG2 H\nVAL CG1 C\nLEU HD1 H\nLEU HD2 H\n");
    return selection;
}

[[noreturn]] void finding(const char *what, const spin_system_t &system) {
    fprintf(stderr, "\nfinding: %s in spin system '%s' (line %ld)\n", what, system.label.c_str(), system.line);
    abort();
}

// What the writer and kestrin rely on: every written spin system has a
// shift and a name of its own, every shift a nucleus H, C or N and a value
// that is a number within its nucleus's range.
void check_grouping(const spin_grouping_t &grouping) {
    std::set<std::string> names;
    for (const spin_system_t &system : grouping.systems) {
        if (system.shifts.empty()) finding("a spin system without shifts", system);
        if (!names.insert(system.label).second) finding("a name given twice", system);
        if (system.amino_acid < -1 || system.amino_acid >= 20) finding("an amino acid out of range", system);
        for (const spin_shift_t &shift : system.shifts) {
            if (shift.nucleus != 'H' && shift.nucleus != 'C' && shift.nucleus != 'N') finding("a nucleus", system);
            if (!is_decimal_number(shift.value)) finding("a value that is not a number", system);
            const shift_range_t &range = shift_range(shift.nucleus);
            if (!(shift.ppm >= range.lowest && shift.ppm <= range.highest)) finding("a shift out of range", system);
        }
    }
}

// format kestrin: the reader of kestrin's own spin-system files, which only
// kestrin-assign uses; the others as read_shift_file reads them.
void convert(const std::string &text, std::optional<shift_format_t> format) {
    try {
        const shift_file_t file =
            format == shift_format_t::kestrin ? read_kestrin_spin_file(text) : read_shift_file(text, format);
        for (const shift_list_t &list : file.lists)
            for (const atom_selection_t *selection : {static_cast<const atom_selection_t *>(nullptr), &backbone_selection()}) {
                const spin_grouping_t grouping = group_spin_systems(list, file.format, selection);
                check_grouping(grouping);
                const std::string written = spin_systems_text(grouping.systems, text.substr(0, 40), selection == nullptr);
                // One comment line, then only kestrin's lines: a stray line feed would break a block.
                if (written.find("-->\n") == std::string::npos) abort();
            }
    } catch (const format_error &error) {
        if (error.line < 0) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(bytes), size);
    convert(text, std::nullopt);
    for (shift_format_t format : {shift_format_t::nef, shift_format_t::nmrstar, shift_format_t::nmrstar2,
                                  shift_format_t::sparky, shift_format_t::talos, shift_format_t::kestrin})
        convert(text, format);
    return 0;
}
