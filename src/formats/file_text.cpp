// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reading for the converters.
#include "formats/file_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "formats/format_error.h"

std::string read_file_text(const std::string &name) {
    FILE *stream = name == "-" ? stdin : fopen(name.c_str(), "rb");
    if (stream == nullptr) throw format_error(0, std::string("cannot read: ") + strerror(errno));
    std::string content;
    char chunk[65536];
    std::size_t got;
    try {
        while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) content.append(chunk, got);
    } catch (const std::bad_alloc &) {
        // A file larger than the memory left (or endless, as /dev/zero): the
        // growing text needs up to twice its size while it is copied.
        const unsigned long long bytes = 2ULL * (content.size() + sizeof chunk);
        if (stream != stdin) fclose(stream);
        content = std::string();
        throw format_error(0, "unable to allocate memory (" + std::to_string(bytes) + " bytes) for its content");
    }
    const int error = ferror(stream) ? errno : 0;
    if (stream != stdin) fclose(stream);
    if (error != 0) throw format_error(0, std::string("cannot read: ") + strerror(error));
    return content;
}
