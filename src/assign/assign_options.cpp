// SPDX-License-Identifier: GPL-3.0-or-later
// Option parsing, usage text and version line of kestrin-assign.
#include "assign/assign_options.h"

#include <algorithm>

#include "assign/assign_error.h"
#include "input/failure.h"
#include "output/output_file.h"

namespace {

const char *const usage_text =
    "Usage: kestrin-assign [options] FILE\n"
    "\n"
    "Predicts the residue type of every spin system of FILE from its chemical\n"
    "shifts: one line per spin system on standard output, with the most\n"
    "probable types, their probabilities and flags for what makes a prediction\n"
    "doubtful. FILE is a NEF file, an NMR-STAR 3.x or 2.1 entry, a Sparky\n"
    "resonance list, an NMRPipe/TALOS shift table or kestrin's own spin-system\n"
    "file (as kestrin-spins writes it), recognised from its content; - reads\n"
    "standard input. Only the kinds of atom that the spin systems to predict\n"
    "show take part.\n"
    "\n"
    "Options:\n"
    "  -sf FILE           statistics file (with -af; default: the installed ones)\n"
    "  -af FILE           atom selection of the statistics (with -sf)\n"
    "  --model MODEL      cfpi, cfpd, cspi or cspd (default cfpd)\n"
    "  --atoms RULE       observed (default): the kinds of atom the file shows;\n"
    "                     all: every atom of the selection; or an atom\n"
    "                     selection FILE naming the atoms that take part\n"
    "  --prior METHOD     none, composition or matching (default)\n"
    "  --sequence FILE    the sequence (FASTA or one-letter text) instead of\n"
    "                     the one FILE holds\n"
    "  --classes STEM     score each type as a mixture of the statistics per\n"
    "                     secondary-structure class STEM_helix.txt,\n"
    "                     STEM_sheet.txt and STEM_coil.txt (for the atoms of\n"
    "                     -af), weighted by the type's residues in each;\n"
    "                     default: the installed ones with the installed\n"
    "                     statistics; none: the one statistics file\n"
    "  --hide-types       predict every spin system, assigned ones too\n"
    "  --place WHEN       auto (default): place the spin systems to predict in\n"
    "                     the sequence when there is one; none: do not\n"
    "  --list NAME        read the shift list NAME (its save-frame name, or its\n"
    "                     number counted from 1)\n"
    "  --format FORMAT    read FILE as nef, nmrstar, nmrstar2, sparky or talos\n"
    "  --table FILE       also write every probability to a tab-separated table\n"
    "  --nef FILE         also write a NEF file with the predictions\n"
    "  --plot FILE        also draw the probabilities as an SVG heat map\n"
    "  --referencing FILE also write the estimated offsets of the shifts\n"
    "                     (- for any of the four: on standard output, instead\n"
    "                     of the summary)\n"
    "  --reference MODE   check (default): estimate the offsets of the 13C,\n"
    "                     15N and 1H shifts and warn about clear ones; apply:\n"
    "                     also correct those before scoring; none: neither\n"
    "  --offset LIST      add these offsets first, ppm: C=-1.2,CO=0.3,N=0.4,H=0\n"
    "                     (C aliphatic 13C, CO carbonyl 13C, N 15N, H 1H)\n"
    "  --threads N        score on N threads (default: the processors available)\n"
    "  -h, --help         print this help and exit\n"
    "  -v, --version      print the version and exit\n"
    "\n"
    "Example:\n"
    "  kestrin-assign --table predictions.tsv shifts.nef\n";

// Most threads --threads accepts, as kestrin's.
const int most_threads = 1024;

// Help and version on standard output; a failed write ends the run with
// kestrin-assign's message.
[[noreturn]] void print_and_end(const std::string &text) {
    try {
        with_own_messages([&] { write_standard_output(text); });
    } catch (const assign_error &error) {
        fprintf(stderr, "kestrin-assign: error: %s\n", error.what());
        end_run(1);
    }
    end_run(0);
}

[[noreturn]] void usage_error(const std::string &message) {
    fprintf(stderr, "kestrin-assign: error: %s\n\n", message.c_str());
    print_assign_usage(stderr);
    end_run(1);
}

// The value of an option: "--name=VALUE" or the next argument, whatever it
// looks like.
std::string option_value(int argc, char **argv, int &i, const std::string &option, const char *inline_value) {
    if (inline_value != nullptr) return inline_value;
    if (i + 1 >= argc) usage_error("the option '" + option + "' needs a value.");
    return argv[++i];
}

int threads_of(const std::string &value) {
    long long threads = 0;
    bool valid = !value.empty();
    for (char c : value) {
        valid = valid && c >= '0' && c <= '9';
        if (valid) threads = std::min<long long>(threads * 10 + (c - '0'), most_threads + 1);
    }
    if (!valid || threads < 1 || threads > most_threads)
        usage_error("the number of threads must be a whole number from 1 to " + std::to_string(most_threads) +
                    ", not '" + value + "'.");
    return static_cast<int>(threads);
}

bool takes_value(const std::string &name) {
    for (const char *option : {"--model", "--atoms", "--prior", "--place", "--sequence", "--classes", "--list", "--format",
                               "--table", "--nef", "--plot", "--threads", "--reference", "--offset", "--referencing"})
        if (name == option) return true;
    return false;
}

}  // namespace

void print_assign_usage(FILE *stream) { fputs(usage_text, stream); }

assign_options_t parse_assign_options(int argc, char **argv) {
    assign_options_t options;
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
        if (inline_value != nullptr && !takes_value(name)) usage_error("the option '" + name + "' takes no value.");
        if (arg == "--") {
            only_files = true;
        } else if (arg == "-h" || arg == "--help") {
            print_and_end(usage_text);
        } else if (arg == "-v" || arg == "--version") {
            print_and_end("This is kestrin-assign release number " KESTRIN_VERSION "\n");
        } else if (arg == "-sf") {
            options.stats_file = option_value(argc, argv, i, name, nullptr);
        } else if (arg == "-af") {
            options.atoms_file = option_value(argc, argv, i, name, nullptr);
        } else if (name == "--model") {
            const std::string key = option_value(argc, argv, i, name, inline_value);
            const std::optional<model_t> model = model_of_key(key);
            if (!model) usage_error("unknown model '" + key + "' (choose cfpi, cfpd, cspi or cspd).");
            options.model = *model;
        } else if (name == "--atoms") {
            const std::string rule = option_value(argc, argv, i, name, inline_value);
            options.atoms = rule == "observed" ? atoms_rule_t::observed
                            : rule == "all"    ? atoms_rule_t::all
                                               : atoms_rule_t::file;
            if (options.atoms == atoms_rule_t::file) options.atoms_rule_file = rule;
        } else if (name == "--prior") {
            const std::string key = option_value(argc, argv, i, name, inline_value);
            const std::optional<prior_method_t> method = prior_method_of_key(key);
            if (!method) usage_error("unknown prior '" + key + "' (choose none, composition or matching).");
            options.prior = *method;
        } else if (name == "--sequence") {
            options.sequence_file = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--classes") {
            const std::string stem = option_value(argc, argv, i, name, inline_value);
            options.classes = stem == "none"      ? classes_rule_t::none
                              : stem == "default" ? classes_rule_t::installed
                                                  : classes_rule_t::stem;
            options.classes_stem = stem;
        } else if (name == "--place") {
            const std::string when = option_value(argc, argv, i, name, inline_value);
            if (when != "auto" && when != "none") usage_error("unknown --place '" + when + "' (choose auto or none).");
            options.place = when == "auto";
        } else if (arg == "--hide-types") {
            options.hide_types = true;
        } else if (name == "--list") {
            options.list = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--format") {
            const std::string key = option_value(argc, argv, i, name, inline_value);
            options.format = shift_format_of_key(key);
            if (!options.format)
                usage_error("unknown format '" + key + "' (choose nef, nmrstar, nmrstar2, sparky or talos).");
        } else if (name == "--table") {
            options.table_file = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--nef") {
            options.nef_file = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--plot") {
            options.plot_file = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--reference") {
            const std::string key = option_value(argc, argv, i, name, inline_value);
            const std::optional<reference_mode_t> mode = reference_mode_of_key(key);
            if (!mode) usage_error("unknown reference mode '" + key + "' (choose check, apply or none).");
            options.reference = *mode;
        } else if (name == "--offset") {
            std::string fault;
            const std::optional<imposed_offsets_t> offsets =
                parse_imposed_offsets(option_value(argc, argv, i, name, inline_value), fault);
            if (!offsets) usage_error("--offset: " + fault + ".");
            options.imposed_offsets = *offsets;
        } else if (name == "--referencing") {
            options.referencing_file = option_value(argc, argv, i, name, inline_value);
        } else if (name == "--threads") {
            options.threads = threads_of(option_value(argc, argv, i, name, inline_value));
        } else {
            usage_error("unknown option '" + arg + "'.");
        }
    }
    if (!input) usage_error("no input file (name one, or - for standard input).");
    if (options.stats_file.has_value() != options.atoms_file.has_value())
        usage_error("-sf and -af go together: name the statistics file and its atom selection.");
    options.input = *input;
    return options;
}
