// SPDX-License-Identifier: GPL-3.0-or-later
// A companion program's command line read one argument at a time, with the
// rules every such program shares: options begin with '-', "--" ends them,
// a long option may carry its value after '=', help and version end the run
// with status 0, and a usage error prints its message and the usage text on
// standard error and ends the run with status 1.
#pragma once

#include <string>
#include <vector>

// What a program says about itself on its command line.
struct program_words_t {
    const char *usage;                // the usage text, printed by -h and --help and after a usage error
    const char *version_line;         // the line -v and --version print, newline included
    const char *error_prefix;         // what begins a usage error's line, such as "Error: "
    std::vector<std::string> valued;  // the long options that also take a value as --name=VALUE
};

class command_line_t {
public:
    command_line_t(int argc, char **argv, program_words_t words);

    // Moves to the next operand or option: passes over "--" (every later
    // argument is an operand), ends the run for help and version, and
    // refuses a value after '=' for a long option that takes none. False
    // once every argument has been read.
    bool next();

    // True for an operand: a file name, "-", or anything after "--".
    bool is_operand() const { return operand_; }
    // The argument as given.
    const std::string &argument() const { return argument_; }
    // The option's name: the argument without a value given after '='.
    const std::string &option() const { return name_; }
    // The option's value: the one given after '=', else the next argument
    // whatever it looks like; a usage error when there is none.
    std::string value();

    [[noreturn]] void unknown_option() const;
    [[noreturn]] void usage_error(const std::string &message) const;

private:
    int argc_;
    char **argv_;
    program_words_t words_;
    int at_ = 0;                // the index of the current argument
    bool only_operands_ = false;
    bool operand_ = false;
    std::string argument_, name_;
    const char *inline_value_ = nullptr;  // the value after '=', or null
};
