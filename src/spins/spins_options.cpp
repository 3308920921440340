// SPDX-License-Identifier: GPL-3.0-or-later
// Option parsing, usage text and version line of kestrin-spins.
#include "spins/spins_options.h"

#include <cstdio>

#include "options/command_line.h"

namespace {

const char *const usage_text =
    "Usage: kestrin-spins [options] FILE\n"
    "\n"
    "Writes the chemical shifts of FILE as kestrin's spin-system input on\n"
    "standard output, one spin system per residue, and a summary of what was\n"
    "written and left out on standard error. FILE is a NEF file, an NMR-STAR\n"
    "3.x or 2.1 entry, a Sparky resonance list or an NMRPipe/TALOS shift\n"
    "table, recognised from its content; - reads standard input.\n"
    "\n"
    "Options:\n"
    "  -af FILE         write, for each amino acid, only the atoms that the\n"
    "                   atom selection FILE lists for it, in its order;\n"
    "                   spin systems of unknown type keep all their shifts\n"
    "  --hide-types     write every spin system as type UNK (after -af has\n"
    "                   selected by the true type), so that kestrin predicts it\n"
    "  --previous       also write the shifts seen for the residue before a\n"
    "                   spin system (rows @13-1, 48-1, CAi-1) as a spin system\n"
    "                   NAME-1, marked precedes=\"NAME\", so that kestrin types\n"
    "                   it too\n"
    "  --list NAME      read the shift list NAME (its save-frame name, or its\n"
    "                   number counted from 1); default: the first list that\n"
    "                   holds an amino acid or an unassigned spin system\n"
    "  --format FORMAT  read FILE as nef, nmrstar, nmrstar2, sparky or talos\n"
    "  -h, --help       print this help and exit\n"
    "  -v, --version    print the version and exit\n"
    "\n"
    "Example:\n"
    "  kestrin-spins -af atoms_full.txt shifts.nef > spins.xml\n"
    "  kestrin -cspd -sf stats_full.txt -af atoms_full.txt < spins.xml\n";

const program_words_t program_words{usage_text, "This is kestrin-spins release number " KESTRIN_VERSION "\n", "Error: ",
                                    {"--list", "--format"}};

}  // namespace

void print_spins_usage(FILE *stream) { fputs(usage_text, stream); }

spins_options_t parse_spins_options(int argc, char **argv) {
    spins_options_t options;
    std::optional<std::string> input;
    command_line_t line(argc, argv, program_words);
    while (line.next()) {
        const std::string &name = line.option();
        if (line.is_operand()) {
            if (input) line.usage_error("more than one input file ('" + *input + "' and '" + line.argument() + "').");
            input = line.argument();
        } else if (name == "-af") {
            options.atoms_file = line.value();
        } else if (name == "--hide-types") {
            options.hide_types = true;
        } else if (name == "--previous") {
            options.previous = true;
        } else if (name == "--list") {
            options.list = line.value();
        } else if (name == "--format") {
            const std::string key = line.value();
            options.format = shift_format_of_key(key);
            if (!options.format)
                line.usage_error("unknown format '" + key + "' (choose nef, nmrstar, nmrstar2, sparky or talos).");
        } else {
            line.unknown_option();
        }
    }
    if (!input) line.usage_error("no input file (name one, or - for standard input).");
    options.input = *input;
    return options;
}
