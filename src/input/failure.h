// SPDX-License-Identifier: GPL-3.0-or-later
// Failure conventions shared by every subsystem: ending the run, the locator
// line, the allocation-failure report, and the free, close and open guards.
#pragma once

#include <cstddef>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "input/matrix.h"

// Thrown to end the run. main turns it into the exit status; tests and fuzz
// targets catch it to observe a fatal error without the process ending.
struct run_ended {
    int status;
};

[[noreturn]] void end_run(int status);

// While one lives on a thread, what fail, the locator line and the
// allocation-failure report would write on standard error from that thread
// is kept in `text` instead, so that work running in parallel can report the
// message of the first failure in order, as a run on one thread prints it.
struct error_capture_t {
    std::string text;      // the messages kept, in the order they were raised
    std::string *previous; // the capture this one hides, restored on destruction

    error_capture_t();
    ~error_capture_t();
    error_capture_t(const error_capture_t &) = delete;
    error_capture_t &operator=(const error_capture_t &) = delete;
};

// Prints the message on standard error and ends the run with status 1.
[[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

// "kestrin: at line L in F", then flushes the stream.
void print_locator_line(FILE *stream, int line, const char *function);

[[noreturn]] void report_allocation_failure(int line, const char *function, unsigned long long bytes,
                                            const char *what);

// For an allocation that failed where no allocation helper reported it (a
// container growing): prints the message on standard error, or into this
// thread's capture, and returns the run's exit status, 1. kestrin says
// "Unable to allocate memory", the companion programs "Error: unable to
// allocate memory".
int report_memory_exhausted(const char *message);

template <typename T>
void allocate_vector(std::vector<T> &v, std::size_t count, const char *what, int line, const char *function) {
    try {
        v = std::vector<T>(count);
    } catch (const std::bad_alloc &) {
        report_allocation_failure(line, function, count * sizeof(T), what);
    } catch (const std::length_error &) {
        report_allocation_failure(line, function, count * sizeof(T), what);
    }
}

// Row pointers first (reported as row_what), then the zeroed block (block_what).
template <typename T>
void allocate_matrix(matrix_t<T> &m, int rows, int cols, const char *row_what, const char *block_what, int line,
                     const char *function) {
    allocate_vector(m.row, rows, row_what, line, function);
    allocate_vector(m.block, static_cast<std::size_t>(rows) * cols, block_what, line, function);
    for (int i = 0; i < rows; i++) m.row[i] = m.block.data() + static_cast<std::size_t>(i) * cols;
}

// Releases the storage; storage that was never allocated is reported on
// standard output and the run goes on.
template <typename T>
void free_guarded(std::vector<T> &v, const char *what, int line, const char *function) {
    if (v.data() == nullptr) {
        print_locator_line(stdout, line, function);
        printf("Trying to free a NULL pointer: %s\n", what);
        return;
    }
    std::vector<T>().swap(v);
}

template <typename T>
void free_matrix_guarded(matrix_t<T> &m, const char *block_what, int line, const char *function) {
    free_guarded(m.block, block_what, line, function);
    std::vector<T *>().swap(m.row);
}

#define ALLOCATE(v, count, what) allocate_vector((v), (count), (what), __LINE__, __func__)
#define ALLOCATE_MATRIX(m, rows, cols, name) \
    allocate_matrix((m), (rows), (cols), "(" name ")", "(" name ")[0]", __LINE__, __func__)
#define FREE_GUARDED(v, what) free_guarded((v), (what), __LINE__, __func__)
#define FREE_MATRIX_GUARDED(m, name) free_matrix_guarded((m), "(" name ")[0]", __LINE__, __func__)

// Opens the named file for reading, or reports "Unable to open file" (an
// absent name prints as "(null)") and ends the run.
FILE *open_or_fail(const std::optional<std::string> &name, int line, const char *function);

// Closes the file; a null handle or a failed close is reported on standard
// output and the run goes on.
void close_guarded(FILE *&fp, int line, const char *function);
