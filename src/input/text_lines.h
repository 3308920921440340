// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-input reading: every input is read once into memory and split into
// lines, so pipes work and lines of any length stay whole.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// The lines of the stream up to its end, each with its line feed (the last
// one may lack it). A line is cut at its first NUL byte, as C string
// functions would see it.
std::vector<std::string> read_lines(FILE *stream);

// The same lines of a text already read.
std::vector<std::string> split_lines(const std::string &content);

// Opens the named file, reads its lines and closes it; the open and close
// guards report on behalf of the calling function.
std::vector<std::string> read_file_lines(const std::optional<std::string> &name, int line, const char *function);
#define READ_FILE_LINES(name) read_file_lines((name), __LINE__, __func__)

// Whitespace-separated tokens (blank, tab, line feed, vertical tab, form
// feed, carriage return).
std::vector<std::string> split_whitespace(const std::string &line);

// Tokens separated by blanks and line feeds only; a tab stays inside a token.
std::vector<std::string> split_blanks(const std::string &line);

bool begins_with(const std::string &line, const char *prefix);

// The line as read, for echoing after an error message, with a line feed
// added when it has none (the last line of an input, or a line cut at a NUL
// byte), so the message still ends its line.
std::string echoed_line(const std::string &line);

// Reads a whole token as a number by the C prefix rules ("8.12ppm" is 8.12);
// false when no digit at all can be read.
bool read_real(const std::string &token, double &value);
bool read_integer(const std::string &token, long &value);

// A decimal integer read as strtol reads it (leading blanks, a sign, then
// digits, stopping at the first other character), kept whole so that counts
// and dimensions beyond every integer type still compare and print exactly.
struct decimal_t {
    bool negative = false;  // a minus sign before digits other than zeros
    std::string digits;     // without leading zeros; "0" for zero
};

// False when the text holds no digit where the number should start.
bool read_decimal(const std::string &text, decimal_t &number);

// The number's value, or SIZE_MAX when it is larger; 0 when negative.
std::size_t capped_value(const decimal_t &number);

// strtod's value of the token, 0.0 when it holds no number.
double real_or_zero(const std::string &token);
