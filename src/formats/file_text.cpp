// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reading for the converters.
#include "formats/file_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "formats/format_error.h"

std::string read_file_text(const std::string &name) {
    FILE *stream = name == "-" ? stdin : fopen(name.c_str(), "rb");
    if (stream == nullptr) throw format_error(0, std::string("cannot read: ") + strerror(errno));
    std::string content;
    char chunk[65536];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) content.append(chunk, got);
    const int error = ferror(stream) ? errno : 0;
    if (stream != stdin) fclose(stream);
    if (error != 0) throw format_error(0, std::string("cannot read: ") + strerror(error));
    return content;
}
