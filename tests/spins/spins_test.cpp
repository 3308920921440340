// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-spins' own code: the command line, the choice of shift list and
// the writer's guard on spin-system names.
#include <gtest/gtest.h>

#include "formats/format_error.h"
#include "spins/spin_writer.h"
#include "spins/spins_run.h"
#include "test_support.h"

namespace {

struct parsed_t {
    outcome_t outcome;
    spins_options_t options;
};

parsed_t parse(std::vector<std::string> words) {
    words.insert(words.begin(), "kestrin-spins");
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    parsed_t parsed;
    parsed.outcome = run_captured([&] { parsed.options = parse_spins_options(static_cast<int>(argv.size()), argv.data()); });
    return parsed;
}

TEST(SpinsOptions, ValuesAndFiles) {
    const parsed_t p = parse({"-af", "-odd name", "--hide-types", "--list=4141_protein", "--format", "nmrstar2", "--",
                              "-shifts.str"});
    ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
    EXPECT_EQ(*p.options.atoms_file, "-odd name");
    EXPECT_TRUE(p.options.hide_types);
    EXPECT_EQ(*p.options.list, "4141_protein");
    EXPECT_EQ(p.options.format, shift_format_t::nmrstar2);
    EXPECT_EQ(p.options.input, "-shifts.str");
    EXPECT_EQ(parse({"-"}).options.input, "-");
}

TEST(SpinsOptions, UsageErrorsGiveTheMessageThenTheUsageAndStatus1) {
    const struct {
        std::vector<std::string> words;
        const char *message;
    } cases[] = {
        {{"-x", "a.nef"}, "Error: unknown option '-x'.\n"},
        {{"a.nef", "--list"}, "Error: the option '--list' needs a value.\n"},
        {{"--format", "xml", "a.nef"}, "Error: unknown format 'xml' (choose nef, nmrstar, nmrstar2, sparky or talos).\n"},
        {{"--hide-types=yes", "a.nef"}, "Error: the option '--hide-types' takes no value.\n"},
        {{"a.nef", "b.nef"}, "Error: more than one input file ('a.nef' and 'b.nef').\n"},
        {{}, "Error: no input file (name one, or - for standard input).\n"},
    };
    for (const auto &c : cases) {
        const parsed_t p = parse(c.words);
        EXPECT_EQ(p.outcome.status, 1);
        EXPECT_EQ(p.outcome.out, "");
        EXPECT_EQ(p.outcome.err.substr(0, p.outcome.err.find('\n') + 1), c.message);
        EXPECT_NE(p.outcome.err.find("\n\nUsage: kestrin-spins [options] FILE\n"), std::string::npos);
    }
    EXPECT_EQ(parse({"-v"}).outcome.out, "This is kestrin-spins release number " KESTRIN_VERSION "\n");
    EXPECT_EQ(parse({"-v"}).outcome.status, 0);
}

TEST(SpinsRun, ShiftListsByNameNumberOrContent) {
    shift_file_t file;
    file.format = shift_format_t::nef;
    file.lists.resize(3);
    file.lists[0].name = "nef_chemical_shift_list_4141_DNA+";
    file.lists[1].name = "nef_chemical_shift_list_2";
    file.lists[2].name = "nef_chemical_shift_list_4141_protein";
    file.lists[0].rows.push_back({"A", "1", "DT", "H6", "7.39", "H", "1", 10});
    file.lists[2].rows.push_back({"C", "101", "Ala", "HA", "4.22", "H", "1", 20});
    EXPECT_EQ(choose_shift_list(file, std::nullopt), 2u);
    EXPECT_EQ(choose_shift_list(file, std::string("4141_DNA+")), 0u);
    EXPECT_EQ(choose_shift_list(file, std::string("nef_chemical_shift_list_4141_protein")), 2u);
    EXPECT_EQ(choose_shift_list(file, std::string("2")), 1u);  // the list named "..._2", and the second
    EXPECT_THROW(choose_shift_list(file, std::string("4")), format_error);
    EXPECT_THROW(choose_shift_list(file, std::string("0")), format_error);
    file.lists[2].rows[0].residue_name = "DA";
    EXPECT_EQ(choose_shift_list(file, std::nullopt), 0u);  // no list holds protein: the first
}

TEST(SpinsWriter, ShiftsOfTheResidueBeforeAsSpinSystemsOfTheirOwn) {
    spin_system_t system{"#13", "@1", "#13.@1", ".", -1, 7, {{"H", 'H', "8.59", 8.59, 11}, {"CA", 'C', "61.16", 61.16, 9}}, {}};
    const std::string alone = "<res type=\"UNK\" name=\"#13.@1\">\n  <cs type=\"H\" n=\"1\">\n8.59\n"
                              "  <cs type=\"C\" n=\"1\">\n61.16\n</res>\n";
    // Without shifts of the residue before, --previous changes nothing.
    EXPECT_EQ(spin_systems_text({system}, "c", false, true), "<!-- c -->\n" + alone);
    system.previous = {{"CA", 'C', "59.29", 59.29, 7}, {"CB", 'C', "37.31", 37.31, 8}};
    EXPECT_EQ(spin_systems_text({system}, "c", false, false), "<!-- c -->\n" + alone);
    EXPECT_EQ(spin_systems_text({system}, "c", false, true),
              "<!-- c -->\n" + alone +
                  "<res type=\"UNK\" name=\"#13.@1-1\" precedes=\"#13.@1\">\n  <cs type=\"C\" n=\"2\">\n59.29 37.31\n"
                  "</res>\n");
}

TEST(SpinsWriter, NamesThatKestrinsInputCannotCarryEndTheRun) {
    spin_system_t system{"A", "12", "A.12", "ALA", 0, 40, {{"H", 'H', "8.12", 8.12, 40}, {"CA", 'C', "52.4", 52.4, 41}}, {}};
    EXPECT_EQ(spin_systems_text({system}, "x--y\nz", false),
              "<!-- x- -y?z -->\n<res type=\"ALA\" name=\"A.12\">\n  <cs type=\"H\" n=\"1\">\n8.12\n"
              "  <cs type=\"C\" n=\"1\">\n52.4\n</res>\n");
    EXPECT_NE(spin_systems_text({system}, "", true).find("\n<res type=\"UNK\" name=\"A.12\">\n"), std::string::npos);
    for (const char *label : {"A\".12", "A.1\n2", "A<1", "A&1", "A>1"}) {
        system.label = label;
        try {
            spin_systems_text({system}, "", false);
            ADD_FAILURE() << label;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, 40);
        }
    }
}

}  // namespace
