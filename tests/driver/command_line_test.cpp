// SPDX-License-Identifier: GPL-3.0-or-later
// Option parsing: flags, values, help and version, and what ends the run.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct parsed_t {
    parameters_t params;
    outcome_t outcome;
};

parsed_t parse(std::vector<std::string> args) {
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    parsed_t parsed;
    init_parameters(parsed.params);
    parsed.outcome = run_captured(
        [&] { process_command_line(static_cast<int>(args.size()), argv.data(), parsed.params); });
    return parsed;
}

std::string usage_text() {
    std::vector<char *> argv{const_cast<char *>("kestrin"), nullptr};
    testing::internal::CaptureStdout();
    print_usage(stdout, argv.data());
    return testing::internal::GetCapturedStdout();
}

TEST(CommandLine, FlagsAndFileNamesFillTheSettings) {
    const parsed_t p = parse({"kestrin", "-cspd", "-af", "a.txt", "-cfpi", "-sf", "s.txt", "-cspd"});
    EXPECT_EQ(p.outcome.status, -1) << p.outcome.err;
    EXPECT_EQ(p.params.select_perm_dep, 1);
    EXPECT_EQ(p.params.full_perm_indep, 1);
    EXPECT_EQ(p.params.full_perm_dep, 0);
    EXPECT_EQ(p.params.select_perm_indep, 0);
    EXPECT_EQ(p.params.input_atoms_fname.value_or("absent"), "a.txt");
    EXPECT_EQ(p.params.Corvane_fname.value_or("absent"), "s.txt");
}

TEST(CommandLine, EmptyCommandLineIsAccepted) {
    const parsed_t p = parse({"kestrin"});
    EXPECT_EQ(p.outcome.status, -1);
    EXPECT_FALSE(p.params.input_atoms_fname.has_value());
    EXPECT_FALSE(p.params.Corvane_fname.has_value());
}

TEST(CommandLine, RepeatedFileOptionKeepsTheLastAndValueIsNeverAnOption) {
    const parsed_t p = parse({"kestrin", "-af", "first", "-af", "-cfpi", "-sf", "-h"});
    EXPECT_EQ(p.outcome.status, -1) << p.outcome.err;
    EXPECT_EQ(p.params.input_atoms_fname.value_or(""), "-cfpi");
    EXPECT_EQ(p.params.Corvane_fname.value_or(""), "-h");
    EXPECT_EQ(p.params.full_perm_indep, 0);
}

TEST(CommandLine, UnknownTagsEndTheRunWithTheUsageOnStandardError) {
    for (const char *tag : {"-cfpdx", "-cf", "-H", "--hel", "-version", "-pb", "+pb", "file.txt", "-cfpd=1"}) {
        const parsed_t p = parse({"kestrin", tag});
        EXPECT_EQ(p.outcome.status, 1) << tag;
        EXPECT_EQ(p.outcome.out, "") << tag;
        EXPECT_EQ(p.outcome.err, "Error: unknown tag: '" + std::string(tag) + "'\n" + usage_text()) << tag;
    }
}

TEST(CommandLine, TableAndPictureTakeTheirValuesLikeTheFileOptions) {
    const parsed_t p = parse({"kestrin", "--table", "-cfpi", "--plot", "first.svg", "--plot", "-", "-cspd"});
    EXPECT_EQ(p.outcome.status, -1) << p.outcome.err;
    EXPECT_EQ(p.params.table_fname.value_or("absent"), "-cfpi");
    EXPECT_EQ(p.params.plot_fname.value_or("absent"), "-");
    EXPECT_EQ(p.params.full_perm_indep, 0);
    EXPECT_EQ(p.params.select_perm_dep, 1);

    for (const char *tag : {"--tab", "-table", "--table=t.tsv", "--Plot"})
        EXPECT_EQ(parse({"kestrin", tag}).outcome.err, "Error: unknown tag: '" + std::string(tag) + "'\n" + usage_text());
}

TEST(CommandLine, MissingValueEndsTheRun) {
    for (const char *option : {"-af", "-sf", "--table", "--plot", "--threads"}) {
        const parsed_t p = parse({"kestrin", "-cfpi", option});
        EXPECT_EQ(p.outcome.status, 1);
        EXPECT_EQ(p.outcome.err,
                  "Error: you should provide a value for the '" + std::string(option) + "' option.\n" + usage_text());
    }
}

TEST(CommandLine, ThreadsTakeAWholeNumberFromOneTo1024) {
    const struct {
        const char *value;
        int threads;  // 0: rejected
    } cases[] = {{"1", 1},  {"7", 7},  {"007", 7},   {"1024", 1024}, {"0", 0},   {"1025", 0},
                 {"-2", 0}, {"+2", 0}, {" 2", 0},    {"2 ", 0},      {"2x", 0},  {"", 0},
                 {"1.5", 0}, {"0x10", 0}, {"99999999999999999999999", 0}, {"-cfpd", 0}};
    for (const auto &c : cases) {
        const parsed_t p = parse({"kestrin", "--threads", c.value, "-cfpd"});
        if (c.threads > 0) {
            EXPECT_EQ(p.outcome.status, -1) << c.value << ": " << p.outcome.err;
            EXPECT_EQ(p.params.threads, c.threads) << c.value;
            EXPECT_EQ(p.params.full_perm_dep, 1) << c.value;
        } else {
            EXPECT_EQ(p.outcome.status, 1) << c.value;
            EXPECT_EQ(p.outcome.out, "") << c.value;
            EXPECT_EQ(p.outcome.err, "Error: the number of threads must be a whole number from 1 to 1024, not '" +
                                         std::string(c.value) + "'.\n" + usage_text())
                << c.value;
        }
    }
    EXPECT_EQ(parse({"kestrin", "-cfpd"}).params.threads, 0);
}

TEST(CommandLine, LeftToRightDecidesBetweenHelpAndError) {
    const parsed_t error_first = parse({"kestrin", "-x", "-h"});
    EXPECT_EQ(error_first.outcome.status, 1);
    EXPECT_EQ(error_first.outcome.out, "");

    const parsed_t help_first = parse({"kestrin", "-h", "-x"});
    EXPECT_EQ(help_first.outcome.status, 0);
    EXPECT_EQ(help_first.outcome.out, usage_text());
    EXPECT_EQ(help_first.outcome.err, "");

    EXPECT_EQ(parse({"kestrin", "--help"}).outcome.out, usage_text());
}

TEST(CommandLine, VersionNamesTheProgramByItsLastPathComponent) {
    const struct {
        const char *argv0, *name;
    } cases[] = {{"kestrin", "kestrin"},
                 {"/usr/local/bin/kestrin", "kestrin"},
                 {"./build/kest", "kest"},
                 {"tools/kestrin/", "kestrin"},
                 {"/", "/"}};
    for (const auto &c : cases) {
        const parsed_t p = parse({c.argv0, "--version", "-x"});
        EXPECT_EQ(p.outcome.status, 0) << c.argv0;
        EXPECT_EQ(p.outcome.out, "This is " + std::string(c.name) + " release number 1.0.1\n") << c.argv0;
    }
    EXPECT_EQ(parse({"kestrin", "-v"}).outcome.out, "This is kestrin release number 1.0.1\n");
}

TEST(CommandLine, UsageNamesTheProgramAndTheVersion) {
    std::vector<char *> argv{const_cast<char *>("/opt/bin/kestrin"), nullptr};
    testing::internal::CaptureStderr();
    print_usage(stderr, argv.data());
    const std::string usage = testing::internal::GetCapturedStderr();
    EXPECT_EQ(usage.rfind("\nUsage: kestrin [options] -sf Corvane_file -af input_atoms_file < cs_xml_file\n\n", 0),
              0u);
    EXPECT_NE(usage.find("(current version = 1.0.1)"), std::string::npos);
}

}  // namespace
