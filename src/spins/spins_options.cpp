// SPDX-License-Identifier: GPL-3.0-or-later
// Option parsing, usage text and version line of kestrin-spins.
#include "spins/spins_options.h"

#include <cstring>

#include "input/failure.h"
#include "output/output_file.h"

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

[[noreturn]] void usage_error(const std::string &message) {
    fprintf(stderr, "Error: %s\n\n", message.c_str());
    print_spins_usage(stderr);
    end_run(1);
}

// The value of an option: "--list=NAME" or the next argument, whatever it
// looks like.
std::string option_value(int argc, char **argv, int &i, const std::string &option, const char *inline_value) {
    if (inline_value != nullptr) return inline_value;
    if (i + 1 >= argc) usage_error("the option '" + option + "' needs a value.");
    return argv[++i];
}

}  // namespace

void print_spins_usage(FILE *stream) { fputs(usage_text, stream); }

spins_options_t parse_spins_options(int argc, char **argv) {
    spins_options_t options;
    std::optional<std::string> input;
    bool only_files = false;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const bool is_option = !only_files && arg.size() > 1 && arg[0] == '-';
        if (!is_option) {
            if (input) usage_error("more than one input file ('" + *input + "' and '" + arg + "').");
            input = arg;
            continue;
        }
        // Long options may carry their value after '='.
        const std::size_t equals = arg.compare(0, 2, "--") == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const char *inline_value = equals == std::string::npos ? nullptr : argv[i] + equals + 1;
        if (inline_value != nullptr && name != "--list" && name != "--format")
            usage_error("the option '" + name + "' takes no value.");
        if (arg == "--") {
            only_files = true;
        } else if (arg == "-h" || arg == "--help") {
            write_standard_output(usage_text);
            end_run(0);
        } else if (arg == "-v" || arg == "--version") {
            write_standard_output("This is kestrin-spins release number " KESTRIN_VERSION "\n");
            end_run(0);
        } else if (arg == "-af") {
            options.atoms_file = option_value(argc, argv, i, name, nullptr);
        } else if (arg == "--hide-types") {
            options.hide_types = true;
        } else if (name == "--list") {
            options.list = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--format") {
            const std::string key = option_value(argc, argv, i, name, inline_value);
            options.format = shift_format_of_key(key);
            if (!options.format)
                usage_error("unknown format '" + key + "' (choose nef, nmrstar, nmrstar2, sparky or talos).");
        } else {
            usage_error("unknown option '" + arg + "'.");
        }
    }
    if (!input) usage_error("no input file (name one, or - for standard input).");
    options.input = *input;
    return options;
}
