// SPDX-License-Identifier: GPL-3.0-or-later
// Option parsing, usage text and version line of kestrin-stats.
#include "stats/stats_options.h"

#include <cstdlib>

#include "formats/spin_systems.h"
#include "input/failure.h"
#include "output/output_file.h"

namespace {

const char *const usage_text =
    "Usage: kestrin-stats [options] FILE...\n"
    "\n"
    "Writes kestrin's statistics file, built from the assigned chemical shifts\n"
    "of the entries FILE..., on standard output. Each FILE is an NMR-STAR 2.1\n"
    "or 3.x entry, a NEF file, a Sparky resonance list or an NMRPipe/TALOS\n"
    "table; - reads standard input, and @LIST reads the names in the file LIST,\n"
    "one per line (lines starting with # are comments).\n"
    "\n"
    "Options:\n"
    "  --backbone            count and describe only the atoms H, HA, HA2, HA3,\n"
    "                        C, CA, CB and N\n"
    "  -af FILE              describe the atoms of the atom selection FILE, in\n"
    "                        its order, instead of those observed often enough\n"
    "  --min-observations N  describe the atoms with at least N shifts\n"
    "                        (default 20, at least 2)\n"
    "  --outlier-sd X        leave out of mean, sd and correlations the shifts\n"
    "                        more than X first-pass standard deviations from\n"
    "                        the first-pass mean (default 5, above 0)\n"
    "  --means FILE          take means and standard deviations from FILE, a\n"
    "                        table comp_id,atom_id,count,min,max,avg,std such\n"
    "                        as BMRB's archive-wide statistics\n"
    "  --atoms-out FILE      also write the matching atom selection to FILE\n"
    "  -h, --help            print this help and exit\n"
    "  -v, --version         print the version and exit\n"
    "\n"
    "Example:\n"
    "  kestrin-stats --atoms-out atoms.txt @entries.txt > stats.txt\n"
    "  kestrin -cspd -sf stats.txt -af atoms.txt < spins.xml\n";

[[noreturn]] void usage_error(const std::string &message) {
    fprintf(stderr, "Error: %s\n\n", message.c_str());
    print_stats_usage(stderr);
    end_run(1);
}

// The value of an option: "--means=FILE" or the next argument, whatever it
// looks like.
std::string option_value(int argc, char **argv, int &i, const std::string &option, const char *inline_value) {
    if (inline_value != nullptr) return inline_value;
    if (i + 1 >= argc) usage_error("the option '" + option + "' needs a value.");
    return argv[++i];
}

long min_observations_of(const std::string &text) {
    constexpr long largest = 1000000000;
    const bool digits = !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
    const long value = digits ? strtol(text.c_str(), nullptr, 10) : 0;
    if (value < 2 || value > largest)
        usage_error("--min-observations takes a whole number from 2 to 1000000000, not '" + text + "'.");
    return value;
}

double outlier_sd_of(const std::string &text) {
    const double value = is_decimal_number(text) ? strtod(text.c_str(), nullptr) : 0.0;
    if (!(value > 0.0)) usage_error("--outlier-sd takes a number above 0, not '" + text + "'.");
    return value;
}

}  // namespace

void print_stats_usage(FILE *stream) { fputs(usage_text, stream); }

stats_options_t parse_stats_options(int argc, char **argv) {
    static const char *const valued[] = {"--min-observations", "--outlier-sd", "--means", "--atoms-out"};
    stats_options_t options;
    bool only_files = false, min_given = false;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (only_files || arg.size() < 2 || arg[0] != '-') {
            options.inputs.push_back(arg);
            continue;
        }
        // Long options may carry their value after '='.
        const std::size_t equals = arg.compare(0, 2, "--") == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const char *inline_value = equals == std::string::npos ? nullptr : argv[i] + equals + 1;
        bool takes_value = false;
        for (const char *option : valued) takes_value = takes_value || name == option;
        if (inline_value != nullptr && !takes_value) usage_error("the option '" + name + "' takes no value.");
        if (arg == "--") {
            only_files = true;
        } else if (arg == "-h" || arg == "--help") {
            write_standard_output(usage_text);
            end_run(0);
        } else if (arg == "-v" || arg == "--version") {
            write_standard_output("This is kestrin-stats release number " KESTRIN_VERSION "\n");
            end_run(0);
        } else if (arg == "-af") {
            options.atoms_file = option_value(argc, argv, i, name, nullptr);
        } else if (arg == "--backbone") {
            options.backbone = true;
        } else if (name == "--min-observations") {
            options.min_observations = min_observations_of(option_value(argc, argv, i, name, inline_value));
            min_given = true;
        } else if (name == "--outlier-sd") {
            options.outlier_sd = outlier_sd_of(option_value(argc, argv, i, name, inline_value));
        } else if (name == "--means") {
            options.means_file = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--atoms-out") {
            options.atoms_out = option_value(argc, argv, i, name, inline_value);
        } else {
            usage_error("unknown option '" + arg + "'.");
        }
    }
    if (options.atoms_file && options.backbone)
        usage_error("-af and --backbone exclude each other: the selection says which atoms count.");
    if (options.atoms_file && min_given)
        usage_error("-af and --min-observations exclude each other: the selection says which atoms count.");
    // "-" or another name of standard output's file (/dev/stdout) would mix the
    // selection into the statistics; a device such as /dev/null mixes nothing.
    if (options.atoms_out && (*options.atoms_out == "-" || (identify_output(*options.atoms_out).standard_output &&
                                                           !identify_output(*options.atoms_out).device)))
        usage_error("--atoms-out needs a file: standard output holds the statistics.");
    if (options.inputs.empty()) usage_error("no entry (name one or more files, - for standard input, or @LIST).");
    return options;
}
