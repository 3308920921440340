// SPDX-License-Identifier: GPL-3.0-or-later
// The companion programs' shared command-line rules, read by a small
// stand-in program: operands, options and their values, "--", help,
// version and the usage errors.
#include <gtest/gtest.h>

#include "options/command_line.h"
#include "test_support.h"

namespace {

const program_words_t words{"Usage: demo [options] FILE\n", "demo 1\n", "Error: ", {"--name"}};

struct read_t {
    outcome_t outcome;
    std::string seen;  // what the stand-in program read, one word per argument
};

// Reads the arguments as a program with a valued option --name (also -n)
// and a flag --flag would.
read_t read(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "demo");
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(argument.data());
    read_t result;
    result.outcome = run_captured([&] {
        command_line_t line(static_cast<int>(argv.size()), argv.data(), words);
        while (line.next()) {
            if (line.is_operand())
                result.seen += "file:" + line.argument() + " ";
            else if (line.option() == "--name" || line.option() == "-n")
                result.seen += line.option() + "=" + line.value() + " ";
            else if (line.option() == "--flag")
                result.seen += "flag ";
            else
                line.unknown_option();
        }
    });
    return result;
}

TEST(CommandLine, OperandsOptionsAndValues) {
    const struct {
        std::vector<std::string> arguments;
        const char *seen;
    } cases[] = {
        {{"a", "-", "--flag", "--name=v=w", "-n", "-odd", "b"}, "file:a file:- flag --name=v=w -n=-odd file:b "},
        {{"--name=", "--name", "--flag"}, "--name= --name=--flag "},
        {{"--", "--flag", "-h", "--version", "--"}, "file:--flag file:-h file:--version file:-- "},
        {{}, ""},
    };
    for (const auto &c : cases) {
        const read_t r = read(c.arguments);
        EXPECT_EQ(r.outcome.status, -1) << c.seen << r.outcome.err;
        EXPECT_EQ(r.seen, c.seen);
        EXPECT_EQ(r.outcome.out + r.outcome.err, "");
    }
}

TEST(CommandLine, HelpVersionAndUsageErrorsEndTheRun) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char *out;
        const char *message;  // the usage error's line, before the usage text
        const char *seen;
    } cases[] = {
        {{"a", "--help", "--bogus"}, 0, "Usage: demo [options] FILE\n", nullptr, "file:a "},
        {{"-v"}, 0, "demo 1\n", nullptr, ""},
        {{"--version=2"}, 1, "", "Error: the option '--version' takes no value.\n", ""},
        {{"--flag=yes"}, 1, "", "Error: the option '--flag' takes no value.\n", ""},
        {{"--flag", "--name"}, 1, "", "Error: the option '--name' needs a value.\n", "flag "},
        {{"-n=3"}, 1, "", "Error: unknown option '-n=3'.\n", ""},
        {{"-x", "--help"}, 1, "", "Error: unknown option '-x'.\n", ""},
    };
    for (const auto &c : cases) {
        const read_t r = read(c.arguments);
        EXPECT_EQ(r.outcome.status, c.status) << c.out << (c.message ? c.message : "");
        EXPECT_EQ(r.outcome.out, c.out);
        EXPECT_EQ(r.outcome.err, c.message ? std::string(c.message) + "\nUsage: demo [options] FILE\n" : "");
        EXPECT_EQ(r.seen, c.seen);
    }
}

}  // namespace
