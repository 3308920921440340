// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-assign's own stages: the command line, the flags, the shifts
// scored, the residues left, the table and the NEF frame read back.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "assign/assign_error.h"
#include "assign/assign_outputs.h"
#include "assign/assign_referencing.h"
#include "assign/assign_run.h"
#include "assign/assign_statistics.h"
#include "assign/flags.h"
#include "assign/nef_output.h"
#include "assign/residues_left.h"
#include "assign/shift_choice.h"
#include "formats/file_text.h"
#include "formats/star.h"
#include "formats/formats_test_support.h"
#include "test_support.h"

namespace {

const std::string data_dir = KESTRIN_DATA_DIR;

std::string data_file(const std::string &name) {
    std::ifstream file(data_dir + "/" + name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

struct parsed_t {
    outcome_t outcome;
    assign_options_t options;
};

parsed_t parse(std::vector<std::string> words) {
    words.insert(words.begin(), "kestrin-assign");
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    parsed_t parsed;
    parsed.outcome =
        run_captured([&] { parsed.options = parse_assign_options(static_cast<int>(argv.size()), argv.data()); });
    return parsed;
}

// A usage error: status 1, nothing on standard output, the message as the
// first line of standard error and the usage text after it.
void expect_usage_error(const std::vector<std::string> &words, const char *message) {
    const parsed_t bad = parse(words);
    EXPECT_EQ(bad.outcome.status, 1);
    EXPECT_EQ(bad.outcome.out, "");
    EXPECT_EQ(bad.outcome.err.substr(0, bad.outcome.err.find('\n')), std::string("kestrin-assign: error: ") + message);
    EXPECT_NE(bad.outcome.err.find("\n\nUsage: kestrin-assign [options] FILE\n"), std::string::npos) << message;
}

TEST(AssignOptions, ValuesAndUsageErrors) {
    const parsed_t p = parse({"--model=cspi", "--atoms", "all", "--prior", "none", "--table", "-", "--threads", "3",
                              "-sf", "s.txt", "-af", "a.txt", "--hide-types", "in.nef"});
    ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
    EXPECT_EQ(p.options.model, model_t::cspi);
    EXPECT_EQ(p.options.atoms, atoms_rule_t::all);
    EXPECT_EQ(*p.options.table_file, "-");
    EXPECT_EQ(p.options.threads, 3);
    EXPECT_TRUE(p.options.hide_types);
    EXPECT_EQ(p.options.input, "in.nef");
    EXPECT_EQ(parse({"--atoms", "my atoms.txt", "x"}).options.atoms_rule_file, "my atoms.txt");
    EXPECT_EQ(parse({"x"}).options.model, model_t::cfpd);
    EXPECT_EQ(parse({"x"}).options.prior, prior_method_t::matching);
    EXPECT_EQ(parse({"--prior", "matching", "x"}).options.prior, prior_method_t::matching);
    EXPECT_EQ(parse({"--prior=composition", "x"}).options.prior, prior_method_t::composition);

    const struct {
        std::vector<std::string> words;
        const char *message;
    } cases[] = {
        {{"--model", "cfpx", "a.nef"}, "unknown model 'cfpx' (choose cfpi, cfpd, cspi or cspd)."},
        {{"--prior", "flat", "a.nef"}, "unknown prior 'flat' (choose none, composition or matching)."},
        {{"--threads", "0", "a.nef"}, "the number of threads must be a whole number from 1 to 1024, not '0'."},
        {{"-sf", "s.txt", "a.nef"}, "-sf and -af go together: name the statistics file and its atom selection."},
        {{"--hide-types=1", "a.nef"}, "the option '--hide-types' takes no value."},
        {{"a.nef", "--table"}, "the option '--table' needs a value."},
        {{"a.nef", "b.nef"}, "more than one input file ('a.nef' and 'b.nef')."},
        {{}, "no input file (name one, or - for standard input)."},
    };
    for (const auto &c : cases) expect_usage_error(c.words, c.message);
    EXPECT_EQ(parse({"-v"}).outcome.out, "This is kestrin-assign release number " KESTRIN_VERSION "\n");
}

TEST(AssignOptions, ReferencingModesAndImposedOffsets) {
    EXPECT_EQ(parse({"x"}).options.reference, reference_mode_t::check);
    EXPECT_EQ(parse({"--reference", "apply", "x"}).options.reference, reference_mode_t::apply);
    EXPECT_EQ(parse({"--reference=none", "x"}).options.reference, reference_mode_t::none);
    EXPECT_FALSE(parse({"x"}).options.referencing_file.has_value());
    EXPECT_EQ(*parse({"--referencing", "-", "x"}).options.referencing_file, "-");
    const parsed_t p = parse({"--offset=C=-1.2,CO=0.3,N=0.4,H=0", "x"});
    ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
    const imposed_offsets_t expected = {-1.2, 0.3, 0.4, 0.0};
    EXPECT_EQ(p.options.imposed_offsets, expected);
    const imposed_offsets_t only_n = parse({"--offset", "N=-2", "x"}).options.imposed_offsets;
    EXPECT_FALSE(only_n[kind_c] || only_n[kind_co] || only_n[kind_h]);
    EXPECT_EQ(only_n[kind_n], -2.0);
    EXPECT_EQ(parse({"--offset", "H=50", "x"}).options.imposed_offsets[kind_h], 50.0);

    const struct {
        std::vector<std::string> words;
        const char *message;
    } cases[] = {
        {{"--reference", "fix", "a.nef"}, "unknown reference mode 'fix' (choose check, apply or none)."},
        {{"--offset", "CA=1", "a.nef"}, "--offset: 'CA=1' is not KIND=PPM with a kind C, CO, N or H."},
        {{"--offset", "C", "a.nef"}, "--offset: 'C' is not KIND=PPM with a kind C, CO, N or H."},
        {{"--offset", "", "a.nef"}, "--offset: '' is not KIND=PPM with a kind C, CO, N or H."},
        {{"--offset", "C=1,", "a.nef"}, "--offset: '' is not KIND=PPM with a kind C, CO, N or H."},
        {{"--offset", "C=1,C=2", "a.nef"}, "--offset: the offset of C is given twice."},
        {{"--offset", "N=", "a.nef"}, "--offset: the offset of N must be a number of ppm from -50 to 50, not ''."},
        {{"--offset", "N=1ppm", "a.nef"},
         "--offset: the offset of N must be a number of ppm from -50 to 50, not '1ppm'."},
        {{"--offset", "H=50.01", "a.nef"},
         "--offset: the offset of H must be a number of ppm from -50 to 50, not '50.01'."},
        {{"--offset", "C=nan", "a.nef"}, "--offset: the offset of C must be a number of ppm from -50 to 50, not 'nan'."},
        {{"--offset", "C= 1", "a.nef"}, "--offset: the offset of C must be a number of ppm from -50 to 50, not ' 1'."},
        {{"a.nef", "--referencing"}, "the option '--referencing' needs a value."},
    };
    for (const auto &c : cases) expect_usage_error(c.words, c.message);
}

// The table of --referencing: every kind in order, empty fields where a
// value does not apply.
TEST(ReferencingTable, EveryKindWithItsAction) {
    referencing_result_t result;
    result.estimates[kind_c] = {true, -2.0414, 0.0751, 118};
    result.actions[kind_c] = offset_action_t::applied;
    result.estimates[kind_co] = {false, 0.0, 0.0, 4};
    result.actions[kind_co] = offset_action_t::not_estimated;
    result.estimates[kind_n] = {false, 0.4, 0.0, 106};
    result.actions[kind_n] = offset_action_t::imposed;
    result.actions[kind_h] = offset_action_t::not_checked;
    EXPECT_EQ(referencing_table_text(result),
              "kind\toffset_ppm\tuncertainty_ppm\tspin_systems\taction\n"
              "C\t-2.041\t0.075\t118\tapplied\n"
              "CO\t\t\t4\tnot_estimated\n"
              "N\t0.400\t\t106\timposed\n"
              "H\t\t\t\tnot_checked\n");
}

TEST(SpinFlags, EachRuleAndItsBoundary) {
    const struct {
        int shifts;
        std::vector<std::string> impossible;
        bool fits;        // some type scores above 0
        bool best_fits;   // the best type's fit is within its threshold
        std::vector<std::string> far;
        double share;
        const char *flags;
    } cases[] = {
        {0, {}, false, false, {}, 0.0, "no_shifts"},
        {0, {"C=9999.00"}, false, false, {}, 0.0, "no_shifts,impossible_value:C=9999.00"},
        {1, {}, true, true, {}, 0.5, "few_shifts"},
        {2, {}, true, true, {}, 0.5, "few_shifts"},
        {3, {}, true, true, {}, 0.5, ""},
        {3, {}, true, true, {}, 0.49, "sparse"},
        {4, {}, false, false, {}, 0.0, "no_fit"},
        {4, {}, true, false, {}, 1.0, "no_fit"},
        {4, {}, true, false, {}, 0.2, "no_fit"},
        {4, {}, true, true, {"C=187.3", "N=80"}, 1.0, "far_shift:C=187.3,far_shift:N=80"},
        {4, {}, true, false, {"H=1.5"}, 1.0, "no_fit,far_shift:H=1.5"},
        {5, {"H=999", "N=0.0"}, true, true, {}, 1.0, "impossible_value:H=999,impossible_value:N=0.0"},
        {5, {"C=9999"}, true, true, {"C=187.3"}, 1.0, "impossible_value:C=9999,far_shift:C=187.3"},
    };
    for (const auto &c : cases) {
        flag_facts_t facts;
        facts.shifts = c.shifts;
        facts.impossible = c.impossible;
        facts.any_type_fits = c.fits;
        facts.best_type_fits = c.best_fits;
        facts.far = c.far;
        facts.best_observed_share = c.share;
        EXPECT_EQ(joined_flags(spin_flags(facts)), c.flags) << c.shifts << " " << c.share;
    }
    EXPECT_EQ(flag_name("impossible_value:C=9999.00"), "impossible_value");
    EXPECT_EQ(flag_name("far_shift:C=187.3"), "far_shift");
    flag_facts_t merged;
    merged.shifts = 9;
    merged.impossible = {"N=0"};
    merged.conflicting = {"CA=54.20", "N=121.3"};
    merged.any_type_fits = merged.best_type_fits = true;
    merged.best_observed_share = 1.0;
    EXPECT_EQ(joined_flags(spin_flags(merged)), "impossible_value:N=0,conflicting_shift:CA=54.20,conflicting_shift:N=121.3");
}

TEST(ShiftChoice, ImpossibleValuesAndAtomsThatTakeNoPart) {
    const std::vector<type_statistics_t> full =
        read_type_statistics(data_dir + "/stats_full.txt", data_dir + "/atoms_full.txt");
    const shift_ranges_t ranges = shift_ranges(full);
    const struct {
        char nucleus;
        double ppm;
        bool impossible;
    } values[] = {{'C', 9999.0, true}, {'C', 175.0, false}, {'C', 0.0, false}, {'C', 400.0, true},
                  {'N', 118.7, false}, {'N', 84.5, false},  {'N', 0.0, false},  {'H', 8.3, false},
                  {'H', -40.0, true},  {'H', 99.0, true},
                  {'N', -50.0, true},   {'N', 300.0, true}};
    for (const auto &v : values)
        EXPECT_EQ(is_impossible_value(ranges, v.nucleus, v.ppm), v.impossible) << v.nucleus << " " << v.ppm;
    EXPECT_FALSE(is_impossible_value(shift_ranges({}), 'C', 9999.0));  // no atom of the nucleus: no judgement

    // Only the atoms H, CA and CB take part.
    const std::vector<type_statistics_t> used = restricted_statistics(full, [](int, const selected_atom_t &atom) {
        return atom.name == "H" || atom.name == "CA" || atom.name == "CB";
    });
    spin_system_t alanine{"A", "5", "A.5", "ALA", 0, 3, {}, {}};
    for (const auto &[atom, nucleus, value] : std::vector<std::tuple<const char *, char, const char *>>{
             {"H", 'H', "8.1"}, {"HA", 'H', "4.3"}, {"CA", 'C', "52.0"}, {"CB", 'C', "9999.00"}, {"N", 'N', "123"}})
        alanine.shifts.push_back({atom, nucleus, value, strtod(value, nullptr), 3});
    const chosen_shifts_t chosen = choose_shifts(alanine, used, ranges, true);
    EXPECT_EQ(chosen.values.h, std::vector<double>{8.1});
    EXPECT_EQ(chosen.values.c, std::vector<double>{52.0});
    EXPECT_TRUE(chosen.values.n.empty());
    EXPECT_EQ(chosen.impossible, std::vector<std::string>{"C=9999.00"});
    EXPECT_EQ(chosen.not_taking_part, 2);
    // Of unknown type: kinds some type has among the atoms used, and names without a kind.
    spin_system_t unknown{"#1", "@1", "@1", ".", -1, 3, alanine.shifts, {}};
    unknown.shifts.push_back({"C1", 'C', "30.0", 30.0, 4});
    const chosen_shifts_t open = choose_shifts(unknown, used, ranges, false);
    EXPECT_EQ(open.values.c, (std::vector<double>{52.0, 30.0}));
    EXPECT_EQ(open.not_taking_part, 2);  // HA and N
    // A declared type that is hidden chooses nothing: the shifts are those of
    // a spin system of unknown type. An atom ALA lacks (a CG named by a
    // wrong assignment) is kept, as it would be without the declaration.
    spin_system_t hidden = unknown;
    hidden.residue_name = "ALA";
    hidden.amino_acid = 0;
    hidden.shifts.push_back({"CG", 'C', "25.0", 25.0, 5});
    unknown.shifts.push_back({"CG", 'C', "25.0", 25.0, 5});
    const std::vector<type_statistics_t> with_gamma = restricted_statistics(full, [](int, const selected_atom_t &atom) {
        return atom.name == "H" || atom.name == "CA" || atom.name == "CB" || atom.name == "CG";
    });
    for (const bool known : {false, true}) {
        const chosen_shifts_t as_hidden = choose_shifts(hidden, with_gamma, ranges, known);
        const chosen_shifts_t as_unknown = choose_shifts(unknown, with_gamma, ranges, known);
        EXPECT_EQ(as_unknown.values.c, (std::vector<double>{52.0, 30.0, 25.0})) << known;
        if (known)
            EXPECT_EQ(as_hidden.values.c, std::vector<double>{52.0}) << "ALA has no CG; C1 shows no ALA atom";
        else
            EXPECT_EQ(as_hidden.values.c, as_unknown.values.c) << "the hidden type chose the shifts";
    }

    // A plain atom name that no type's statistics hold, of a kind some type
    // uses, is left out for every type and counted when it is no atom of
    // any amino acid (HD29); an atom that the statistics leave out (ASN
    // HD22) counts, with its name, for the types to take it out of their
    // own scoring; a wildcard name of that kind counts.
    const std::vector<type_statistics_t> full_used = restricted_statistics(full, [](int, const selected_atom_t &) {
        return true;
    });
    spin_system_t asparagine{"#2", "@2", "@2", ".", -1, 3, {}, {}};
    for (const auto &[atom, nucleus, value] : std::vector<std::tuple<const char *, char, const char *>>{
             {"H", 'H', "8.1"}, {"HD29", 'H', "7.5"}, {"H%", 'H', "7.0"}, {"HD22", 'H', "7.4"}})
        asparagine.shifts.push_back({atom, nucleus, value, strtod(value, nullptr), 3});
    const chosen_shifts_t unheld = choose_shifts(asparagine, full_used, shift_ranges(full_used), false);
    EXPECT_EQ(unheld.unheld_names, 1);
    EXPECT_EQ(unheld.values.h, (std::vector<double>{8.1, 7.0, 7.4}));
    EXPECT_EQ(unheld.names.h, (std::vector<std::string>{"H", "H%", "HD22"}));
}

TEST(ResiduesLeft, AssignedResiduesUseUpTheirTypeAndMisfitsAreNamed) {
    const sequence_t sequence = {{{"A", "1", "MET", 12}, {"A", "2", "ALA", 0}, {"A", "3", "ALA", 0},
                                  {"A", "4", "GLY", 7}, {"A", "5", "ZN", -1}},
                                 "_nef_sequence"};
    const std::vector<spin_system_t> systems = {
        {"A", "2", "A.2", "ALA", 0, 1, {}, {}}, {"A", "4", "A.4", "ALA", 0, 2, {}, {}},
        {"A", "1", "A.1", "GLY", 7, 3, {}, {}}, {"#1", "@1", "@1", ".", -1, 4, {}, {}},
        {"A", "3", "A.3", "ALA", 0, 5, {}, {}}, {"A", "9", "A.9", "SER", 15, 6, {}, {}},
    };
    const residues_left_t left = residues_left(sequence, systems, {true, true, true, false, false, true});
    EXPECT_EQ(left.residues, 5);
    EXPECT_EQ(left.in_sequence[0], 2);
    EXPECT_EQ(left.assigned[0], 2);  // A.3 is to be predicted, so it uses up nothing
    EXPECT_EQ(left.left[0], 0);
    EXPECT_EQ(left.left[12], 1);  // MET
    EXPECT_EQ(left.left[7], 0);   // GLY: one in the sequence, one assigned
    EXPECT_EQ(left.left[15], 0);  // SER: none in the sequence, one assigned
    const std::vector<std::string> misfits = {"SER 1 assigned, 0 in the sequence", "A.4 assigned ALA, GLY in the sequence",
                                              "A.1 assigned GLY, MET in the sequence"};
    EXPECT_EQ(left.misfits, misfits);
}

TEST(StarValues, EveryValueReadsBackAsWritten) {
    const struct {
        const char *text;
        const char *written;
    } cases[] = {
        {"ALA", "ALA"},       {"@13", "@13"},          {"0.123456", "0.123456"}, {"", "''"},
        {".", "'.'"},         {"?", "'?'"},            {"#13", "'#13'"},         {"_x", "'_x'"},
        {"$ref", "'$ref'"},   {"data_x", "'data_x'"},  {"SAVE_", "'SAVE_'"},    {"loop_", "'loop_'"},
        {"a b", "'a b'"},     {"it's", "it's"},        {"'q", "''q'"},         {"a' b", "\"a' b\""},
        {"x;y", "x;y"},       {";x", "';x'"},          {"[x", "'[x'"},           {"a' \"b\" c", "\n;a' \"b\" c\n;"},
        {"two\nlines", "\n;two\nlines\n;"},
    };
    std::string file = "data_values\nsave_frame\n   loop_\n      _v.value\n";
    for (const auto &c : cases) {
        EXPECT_EQ(star_value(c.text), c.written) << c.text;
        file += "      " + star_value(c.text) + "\n";
    }
    file += "   stop_\nsave_\n";
    const star_file_t read = read_star(file);
    const star_loop_t &loop = read.blocks[0].frames[1].loops[0];
    ASSERT_EQ(loop.row_count(), std::size(cases));
    for (std::size_t i = 0; i < loop.row_count(); i++) {
        EXPECT_EQ(loop.at(i, 0).text, cases[i].text);
        EXPECT_FALSE(is_star_null(loop.at(i, 0))) << cases[i].text;
    }
    EXPECT_THROW(star_value("a' \"b\n;c"), assign_error);
}

// Every text of a few thousand built from the characters that matter to
// STAR reads back as itself, or is refused.
TEST(StarValues, RoundTripOfGeneratedTexts) {
    const char alphabet[] = {'a', ' ', '\'', '"', '#', '_', '$', ';', '\n', '.', '?', '[', ']', '\t', 'd', 's'};
    unsigned long state = 12345;
    std::string file = "data_values\n   loop_\n      _v.value\n";
    std::vector<std::string> texts;
    for (int n = 0; n < 4000; n++) {
        std::string text;
        const int length = static_cast<int>((state >> 7) % 7);
        for (int k = 0; k < length; k++) {
            state = state * 6364136223846793005ul + 1442695040888963407ul;
            text += alphabet[(state >> 33) % sizeof alphabet];
        }
        state = state * 6364136223846793005ul + 1442695040888963407ul;
        try {
            file += "      " + star_value(text) + "\n";
            texts.push_back(text);
        } catch (const assign_error &) {
            EXPECT_NE(text.find("\n;"), std::string::npos) << text;
        }
    }
    file += "   stop_\n";
    const star_file_t read = read_star(file);
    const star_loop_t &loop = read.blocks[0].frames[0].loops[0];
    ASSERT_EQ(loop.row_count(), texts.size());
    for (std::size_t i = 0; i < texts.size(); i++) ASSERT_EQ(loop.at(i, 0).text, texts[i]) << i;
}

assign_options_t options_for(const std::string &input) {
    assign_options_t options;
    options.input = input;
    options.stats_file = data_dir + "/stats_full.txt";
    options.atoms_file = data_dir + "/atoms_full.txt";
    options.threads = 2;
    return options;
}

// Rows of the predictions frame of the text, by column name.
std::vector<std::map<std::string, std::string>> frame_rows(const std::string &text, const std::string &framecode) {
    std::vector<std::map<std::string, std::string>> rows;
    for (const star_block_t &block : read_star(text).blocks)
        for (const star_frame_t &frame : block.frames) {
            if (frame.name != framecode) continue;
            for (const star_loop_t &loop : frame.loops)
                for (std::size_t r = 0; r < loop.row_count(); r++) {
                    std::map<std::string, std::string> row;
                    for (std::size_t c = 0; c < loop.tags.size(); c++)
                        row[loop.tags[c]] = is_star_null(loop.at(r, static_cast<int>(c))) ? "<null>"
                                                                                        : loop.at(r, static_cast<int>(c)).text;
                    rows.push_back(row);
                }
        }
    return rows;
}

TEST(NefFrame, ReadsBackWithThePredictionsAndLeavesTheFileUnchanged) {
    const std::string input = data_file("sec5_ccpn_partially_assigned.nef");
    std::string messages;
    const run_result_t run = assign_types(options_for("sec5.nef"), input, messages);
    const std::string nef = nef_with_predictions(input, run);
    EXPECT_EQ(nef.substr(0, input.size()), input);
    const std::vector<std::map<std::string, std::string>> rows = frame_rows(nef, "kestrin_residue_type_predictions");
    std::size_t expected = 0;
    for (const spin_result_t &spin : run.spins) {
        std::size_t shown = 0;
        for (int t = 0; t < 20; t++) shown += spin.probability[t] >= 0.01 ? 1 : 0;
        expected += spin.top < 0 ? 1 : shown;
    }
    ASSERT_EQ(rows.size(), expected);
    const std::string p = "_kestrin_residue_type_prediction.";
    EXPECT_EQ(rows[0].at(p + "chain_code"), "#13");  // as the file writes it, where its name is #13.@13
    EXPECT_EQ(rows[0].at(p + "sequence_code"), "@13");
    EXPECT_EQ(rows[0].at(p + "rank"), "1");
    // Each spin system's rows: its top types in rank order, with its probabilities and flags.
    std::size_t r = 0;
    for (const spin_result_t &spin : run.spins) {
        const std::vector<int> order = ranked_types(run, spin);
        for (std::size_t k = 0; r < rows.size() && rows[r].at(p + "sequence_code") == spin.system.sequence_code &&
                                rows[r].at(p + "chain_code") == spin.system.chain;
             k++, r++) {
            EXPECT_EQ(rows[r].at(p + "residue_name"), AA3[order[k]]);
            EXPECT_NEAR(std::stod(rows[r].at(p + "probability")), spin.probability[order[k]], 5e-7);
            EXPECT_EQ(rows[r].at(p + "flags"), spin.flags.empty() ? "<null>" : joined_flags(spin.flags));
        }
    }
    EXPECT_EQ(r, rows.size());
    // Written again into its own output: a second frame, named apart.
    const std::string again = nef_with_predictions(nef, run);
    EXPECT_EQ(frame_rows(again, "kestrin_residue_type_predictions_2").size(), rows.size());
    EXPECT_EQ(read_shift_file(again).lists.size(), 1u);
}

TEST(NefFrame, ANefFileOfATalosTableHoldsItsShiftsSequenceAndPredictions) {
    const std::string input = formats_data("talos_ns3_placeholder_excerpt.tab");
    std::string messages;
    const run_result_t run = assign_types(options_for("ns3.tab"), input, messages);
    const std::string nef = nef_of_run(input, run);
    const shift_file_t file = read_shift_file(nef);
    EXPECT_EQ(file.format, shift_format_t::nef);
    const spin_grouping_t again = group_spin_systems(file.lists[0], file.format);
    ASSERT_EQ(again.systems.size(), run.spins.size());
    for (std::size_t s = 0; s < run.spins.size(); s++) {
        const spin_system_t &before = run.spins[s].system, &after = again.systems[s];
        EXPECT_EQ(after.label, "A." + before.sequence_code);
        EXPECT_EQ(after.amino_acid, before.amino_acid);
        ASSERT_EQ(after.shifts.size(), before.shifts.size()) << before.label;
        for (std::size_t k = 0; k < after.shifts.size(); k++) {
            EXPECT_EQ(after.shifts[k].atom, before.shifts[k].atom);  // methyls through HG1% and back
            EXPECT_EQ(after.shifts[k].value, before.shifts[k].value);
        }
    }
    const std::optional<sequence_t> sequence = read_file_sequence(nef, file.format, file.lists[0]);
    ASSERT_TRUE(sequence);
    EXPECT_EQ(sequence->residues.size(), 185u);
    EXPECT_EQ(sequence->residues[162].residue_name, "SER");
    const std::vector<std::map<std::string, std::string>> rows = frame_rows(nef, "kestrin_residue_type_predictions");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].at("_kestrin_residue_type_prediction.chain_code"), "A");  // a chain for a table without one
    EXPECT_EQ(rows[0].at("_kestrin_residue_type_prediction.sequence_code"), "162");
}

// The table's rows agree with the run: one per spin system and selected
// type, probabilities summing to 1, rank 1 the most probable, and a spin
// system without a top type with no rank and no probability; a fit (log10
// of a p-value, at most 0) and a farthest shift for every type of a spin
// system with shifts.
TEST(Table, RowsAgreeWithTheRun) {
    const std::string input = read_file_text(std::string(KESTRIN_E2E_INPUTS) + "/assign/sec5_corrupted.nef");
    assign_options_t options = options_for("sec5_corrupted.nef");
    options.model = model_t::cspd;
    std::string messages;
    const run_result_t run = assign_types(options, input, messages);
    std::istringstream table(table_text(run));
    std::string line;
    std::getline(table, line);
    EXPECT_EQ(line, "name\tchain\tsequence_code\tdeclared\ttype\tscore\tprior\tprobability\trank\tflags\tobserved_share\t"
                    "fit\tfarthest_sd");
    std::map<std::string, double> sums;
    std::map<std::string, int> rows;
    std::map<std::string, std::string> flags;
    while (std::getline(table, line)) {
        std::vector<std::string> f;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            f.push_back(line.substr(start, tab - start));
        f.push_back(line.substr(start));
        ASSERT_EQ(f.size(), 13u) << line;
        rows[f[0]]++;
        flags[f[0]] = f[9];
        EXPECT_EQ(f[11].empty(), f[0] == "@3") << line;
        if (!f[11].empty() && f[11] != "-inf") {
            EXPECT_LE(std::stod(f[11]), 0.0) << line;
            EXPECT_GE(std::stod(f[12]), 0.0) << line;
        }
        if (f[7].empty()) {
            EXPECT_EQ(f[8], "") << line;
            continue;
        }
        sums[f[0]] += std::stod(f[7]);
        if (f[8] == "1") {
            EXPECT_GE(std::stod(f[7]), 0.05) << line;
        }
    }
    EXPECT_EQ(rows.size(), run.spins.size());
    for (const auto &[name, count] : rows) EXPECT_EQ(count, 20) << name;
    for (const auto &[name, sum] : sums) EXPECT_NEAR(sum, 1.0, 2e-5) << name;
    EXPECT_EQ(flags["@3"], "no_shifts");
    EXPECT_EQ(flags["#13.@27"], "no_fit");
    EXPECT_EQ(flags["#13.@1"], "impossible_value:C=9999.0");  // left out by the reader as outside 13C's range
    EXPECT_EQ(sums.count("@3") + sums.count("#13.@27"), 0u);
}

TEST(Statistics, FaultsOfTheFilesEndWithTheirOwnMessages) {
    write_file("atoms_ok.txt", "ALA H H\nALA CA C\n");
    write_file("atoms_order.txt", "ALA CA C\nALA H H\n");
    write_file("atoms_extra.txt", "ALA H H\nALA HA H\nALA CA C\n");
    write_file("stats_ok.txt", "# a\n# b\nALA H H 1 1 1 8.2 0.6 1 4.0\nALA CA C 1 1 1 52.5 2.0 1 4.0\n"
                               "<cov res=\"ALA\" dim=\"2\">\n0.36 0.1\n0.1 4.0\n</cov>\n");
    write_file("stats_singular.txt", "# a\n# b\nALA H H 1 1 1 8.2 0.6 1 4.0\nALA CA C 1 1 1 52.5 2.0 1 4.0\n");
    write_file("stats_bad.txt", "# a\n# b\nALA H H 1 1 1 8.2 0.6 1 4.0\n<cov res=\"ALA\" dim=x>\n");
    const struct {
        const char *stats, *atoms, *message;
    } cases[] = {
        {"stats_ok.txt", "missing.txt", "the atom selection missing.txt: cannot read: No such file or directory"},
        {"missing.txt", "atoms_ok.txt", "the statistics missing.txt: cannot read: No such file or directory"},
        {"stats_ok.txt", "atoms_order.txt",
         "the atom selection atoms_order.txt lists ALA H after CA: list each type's H atoms first, then its C atoms, "
         "then its N atoms"},
        {"stats_ok.txt", "atoms_extra.txt",
         "the statistics file stats_ok.txt does not describe ALA HA, which the atom selection atoms_extra.txt lists"},
        {"stats_bad.txt", "atoms_ok.txt", "malformed covariance header in stat file 'stats_bad.txt' line 4\n"
                                          "<cov res=\"ALA\" dim=x>"},
    };
    for (const auto &c : cases) {
        try {
            read_type_statistics(c.stats, c.atoms);
            ADD_FAILURE() << c.stats << " " << c.atoms;
        } catch (const assign_error &error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
    EXPECT_NO_THROW(check_covariances(read_type_statistics("stats_ok.txt", "atoms_ok.txt"), "stats_ok.txt"));
    EXPECT_THROW(check_covariances(read_type_statistics("stats_singular.txt", "atoms_ok.txt"), "stats_singular.txt"),
                 assign_error);
}

}  // namespace
