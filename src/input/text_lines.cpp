// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-input reading and the small text rules shared by the three readers.
#include "input/text_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "input/failure.h"

std::vector<std::string> split_lines(const std::string &content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t feed = content.find('\n', start);
        std::size_t end = feed == std::string::npos ? content.size() : feed + 1;
        std::string line = content.substr(start, end - start);
        std::size_t nul = line.find('\0');
        if (nul != std::string::npos) line.resize(nul);
        lines.push_back(std::move(line));
        start = end;
    }
    return lines;
}

std::vector<std::string> read_lines(FILE *stream) {
    std::string content;
    char chunk[65536];
    std::size_t got;
    try {
        while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) content.append(chunk, got);
        return split_lines(content);
    } catch (const std::bad_alloc &) {
        // An input larger than the memory left: twice its size is held while it is split.
        report_allocation_failure(__LINE__, __func__, 2 * (content.size() + sizeof chunk), "the input's lines");
    }
}

std::vector<std::string> read_file_lines(const std::optional<std::string> &name, int line, const char *function) {
    FILE *fp = open_or_fail(name, line, function);
    std::vector<std::string> lines = read_lines(fp);
    close_guarded(fp, line, function);
    return lines;
}

static std::vector<std::string> split(const std::string &line, const char *separators) {
    std::vector<std::string> tokens;
    std::size_t start = line.find_first_not_of(separators);
    while (start != std::string::npos) {
        std::size_t end = line.find_first_of(separators, start);
        tokens.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? end : line.find_first_not_of(separators, end);
    }
    return tokens;
}

std::vector<std::string> split_whitespace(const std::string &line) { return split(line, " \t\n\v\f\r"); }

std::vector<std::string> split_blanks(const std::string &line) { return split(line, " \n"); }

bool begins_with(const std::string &line, const char *prefix) {
    return line.compare(0, strlen(prefix), prefix) == 0;
}

std::string echoed_line(const std::string &line) {
    return !line.empty() && line.back() == '\n' ? line : line + "\n";
}

bool read_real(const std::string &token, double &value) {
    char *end;
    value = strtod(token.c_str(), &end);
    return end != token.c_str();
}

bool read_integer(const std::string &token, long &value) {
    char *end;
    value = strtol(token.c_str(), &end, 10);
    return end != token.c_str();
}

bool read_decimal(const std::string &text, decimal_t &number) {
    std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string::npos) return false;
    bool minus = false;
    if (text[at] == '+' || text[at] == '-') minus = text[at++] == '-';
    const std::size_t first = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') at++;
    if (at == first) return false;
    const std::size_t significant = std::min(text.find_first_not_of('0', first), at - 1);
    number.digits = text.substr(significant, at - significant);
    number.negative = minus && number.digits != "0";
    return true;
}

std::size_t capped_value(const decimal_t &number) {
    if (number.negative) return 0;
    std::size_t value = 0;
    for (const char digit : number.digits) {
        if (value > (SIZE_MAX - (digit - '0')) / 10) return SIZE_MAX;
        value = value * 10 + (digit - '0');
    }
    return value;
}

double real_or_zero(const std::string &token) { return strtod(token.c_str(), nullptr); }
