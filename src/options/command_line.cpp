// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a companion program's command line, argument by argument.
#include "options/command_line.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "input/failure.h"
#include "output/output_file.h"

command_line_t::command_line_t(int argc, char **argv, program_words_t words)
    : argc_(argc), argv_(argv), words_(std::move(words)) {}

bool command_line_t::next() {
    while (++at_ < argc_) {
        argument_ = argv_[at_];
        inline_value_ = nullptr;
        operand_ = only_operands_ || argument_.size() < 2 || argument_[0] != '-';
        name_ = argument_;
        if (operand_) return true;
        // Only a long option carries its value after '='; "-af=x" is an
        // option of that name, unknown.
        const std::size_t equals = argument_.compare(0, 2, "--") == 0 ? argument_.find('=') : std::string::npos;
        if (equals != std::string::npos) {
            name_ = argument_.substr(0, equals);
            inline_value_ = argv_[at_] + equals + 1;
            if (std::find(words_.valued.begin(), words_.valued.end(), name_) == words_.valued.end())
                usage_error("the option '" + name_ + "' takes no value.");
        }
        if (argument_ == "--") {
            only_operands_ = true;
        } else if (argument_ == "-h" || argument_ == "--help") {
            write_standard_output(words_.usage);
            end_run(0);
        } else if (argument_ == "-v" || argument_ == "--version") {
            write_standard_output(words_.version_line);
            end_run(0);
        } else {
            return true;
        }
    }
    return false;
}

std::string command_line_t::value() {
    if (inline_value_ != nullptr) return inline_value_;
    if (at_ + 1 >= argc_) usage_error("the option '" + name_ + "' needs a value.");
    return argv_[++at_];
}

void command_line_t::unknown_option() const { usage_error("unknown option '" + argument_ + "'."); }

void command_line_t::usage_error(const std::string &message) const {
    fprintf(stderr, "%s%s\n\n", words_.error_prefix, message.c_str());
    fputs(words_.usage, stderr);
    end_run(1);
}
