// SPDX-License-Identifier: GPL-3.0-or-later
// Failure conventions: one place for every fatal, allocation, free and close message.
#include "input/failure.h"

#include <cstdarg>

namespace {

// The capture active on this thread, if any.
thread_local std::string *held_messages = nullptr;

// Writes to the stream, or to this thread's capture when the stream is
// standard error and a capture is active.
void write_message(FILE *stream, const char *format, va_list args) {
    if (stream != stderr || held_messages == nullptr) {
        vfprintf(stream, format, args);
        return;
    }
    va_list again;
    va_copy(again, args);
    const int size = vsnprintf(nullptr, 0, format, again);
    va_end(again);
    if (size <= 0) return;
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    vsnprintf(&text[0], text.size(), format, args);
    text.pop_back();
    *held_messages += text;
}

void write_message(FILE *stream, const char *format, ...) __attribute__((format(printf, 2, 3)));
void write_message(FILE *stream, const char *format, ...) {
    va_list args;
    va_start(args, format);
    write_message(stream, format, args);
    va_end(args);
}

}  // namespace

error_capture_t::error_capture_t() : previous(held_messages) { held_messages = &text; }

error_capture_t::~error_capture_t() { held_messages = previous; }

void end_run(int status) { throw run_ended{status}; }

void fail(const char *format, ...) {
    va_list args;
    va_start(args, format);
    write_message(stderr, format, args);
    va_end(args);
    end_run(1);
}

void print_locator_line(FILE *stream, int line, const char *function) {
    write_message(stream, "%s: at line %d in %s\n", "kestrin", line, function);
    if (stream != stderr || held_messages == nullptr) fflush(stream);
}

void report_allocation_failure(int line, const char *function, unsigned long long bytes, const char *what) {
    print_locator_line(stderr, line, function);
    write_message(stderr, "Unable to allocate memory (%llu bytes) for %s\n", bytes, what);
    end_run(1);
}

int report_memory_exhausted(const char *message) {
    write_message(stderr, "%s\n", message);
    return 1;
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
