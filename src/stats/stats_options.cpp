// SPDX-License-Identifier: GPL-3.0-or-later
// Option parsing, usage text and version line of kestrin-stats.
#include "stats/stats_options.h"

#include <cstdlib>

#include "formats/spin_systems.h"
#include "options/command_line.h"
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
    "  --class C             only the residues of the secondary-structure class\n"
    "                        C (helix, sheet or coil), estimated from each\n"
    "                        entry's own shifts by a chemical-shift index\n"
    "  --pool-missing        give each backbone atom (H, HA, C, CA, CB, N) the\n"
    "                        missing rate of every type together (PRO's H and\n"
    "                        N keep their own)\n"
    "  --side-chain-groups   also state, per type, how often none of its atoms\n"
    "                        beyond the beta position is assigned (comment\n"
    "                        lines that kestrin-assign reads and kestrin skips)\n"
    "  -h, --help            print this help and exit\n"
    "  -v, --version         print the version and exit\n"
    "\n"
    "Example:\n"
    "  kestrin-stats --atoms-out atoms.txt @entries.txt > stats.txt\n"
    "  kestrin -cspd -sf stats.txt -af atoms.txt < spins.xml\n";

const program_words_t program_words{usage_text, "This is kestrin-stats release number " KESTRIN_VERSION "\n", "Error: ",
                                    {"--min-observations", "--outlier-sd", "--means", "--atoms-out", "--class"}};

long min_observations_of(const command_line_t &line, const std::string &text) {
    constexpr long largest = 1000000000;
    const bool digits = !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
    const long value = digits ? strtol(text.c_str(), nullptr, 10) : 0;
    if (value < 2 || value > largest)
        line.usage_error("--min-observations takes a whole number from 2 to 1000000000, not '" + text + "'.");
    return value;
}

double outlier_sd_of(const command_line_t &line, const std::string &text) {
    const double value = is_decimal_number(text) ? strtod(text.c_str(), nullptr) : 0.0;
    if (!(value > 0.0)) line.usage_error("--outlier-sd takes a number above 0, not '" + text + "'.");
    return value;
}

}  // namespace

void print_stats_usage(FILE *stream) { fputs(usage_text, stream); }

stats_options_t parse_stats_options(int argc, char **argv) {
    stats_options_t options;
    bool min_given = false;
    command_line_t line(argc, argv, program_words);
    while (line.next()) {
        const std::string &name = line.option();
        if (line.is_operand()) {
            options.inputs.push_back(line.argument());
        } else if (name == "-af") {
            options.atoms_file = line.value();
        } else if (name == "--backbone") {
            options.backbone = true;
        } else if (name == "--min-observations") {
            options.min_observations = min_observations_of(line, line.value());
            min_given = true;
        } else if (name == "--outlier-sd") {
            options.outlier_sd = outlier_sd_of(line, line.value());
        } else if (name == "--means") {
            options.means_file = line.value();
        } else if (name == "--atoms-out") {
            options.atoms_out = line.value();
        } else if (name == "--pool-missing") {
            options.pool_missing = true;
        } else if (name == "--side-chain-groups") {
            options.side_chain_groups = true;
        } else if (name == "--class") {
            const std::string key = line.value();
            options.structure_class = structure_class_of_key(key);
            if (!options.structure_class)
                line.usage_error("--class takes helix, sheet or coil, not '" + key + "'.");
        } else {
            line.unknown_option();
        }
    }
    if (options.atoms_file && options.backbone)
        line.usage_error("-af and --backbone exclude each other: the selection says which atoms count.");
    if (options.atoms_file && min_given)
        line.usage_error("-af and --min-observations exclude each other: the selection says which atoms count.");
    // "-" or another name of standard output's file (/dev/stdout) would mix the
    // selection into the statistics; a device such as /dev/null mixes nothing.
    if (options.atoms_out && (*options.atoms_out == "-" || (identify_output(*options.atoms_out).standard_output &&
                                                           !identify_output(*options.atoms_out).device)))
        line.usage_error("--atoms-out needs a file: standard output holds the statistics.");
    if (options.inputs.empty())
        line.usage_error("no entry (name one or more files, - for standard input, or @LIST).");
    return options;
}
