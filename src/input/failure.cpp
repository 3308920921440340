// SPDX-License-Identifier: GPL-3.0-or-later
// Failure conventions: one place for every fatal, allocation, free and close message.
#include "input/failure.h"

#include <cstdarg>

void end_run(int status) { throw run_ended{status}; }

void fail(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    end_run(1);
}

void print_locator_line(FILE *stream, int line, const char *function) {
    fprintf(stream, "%s: at line %d in %s\n", "kestrin", line, function);
    fflush(stream);
}

void report_allocation_failure(int line, const char *function, unsigned long long bytes, const char *what) {
    print_locator_line(stderr, line, function);
    fprintf(stderr, "Unable to allocate memory (%llu bytes) for %s\n", bytes, what);
    end_run(1);
}

FILE *open_or_fail(const std::optional<std::string> &name, int line, const char *function) {
    FILE *fp = name ? fopen(name->c_str(), "r") : nullptr;
    if (fp == nullptr) {
        print_locator_line(stderr, line, function);
        fprintf(stderr, "Unable to open file '%s'\n", name ? name->c_str() : "(null)");
        end_run(1);
    }
    return fp;
}

void close_guarded(FILE *&fp, int line, const char *function) {
    if (fp == nullptr) {
        print_locator_line(stdout, line, function);
        printf("Trying to close a NULL file pointer: %s\n", "fp");
        return;
    }
    if (fclose(fp) != 0) {
        print_locator_line(stdout, line, function);
        printf("Unable to close file: %s\n", "fp");
    }
    fp = nullptr;
}
