// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target helpers: scratch files, captured streams and outcome checks.
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "input/failure.h"
#include "input/readers.h"

namespace {

// One scratch folder per process, so parallel fuzzing jobs never share
// files. The name is never destroyed, so the exit handler can still use it.
const std::string &scratch_folder() {
    static const std::string *const folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("kestrin_fuzz_" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] { std::filesystem::remove_all(scratch_folder()); });
        return new std::string(path.string());
    }();
    return *folder;
}

// Swaps a standard stream for an in-memory one while the call runs.
struct memory_stream_t {
    char *buffer = nullptr;
    std::size_t size = 0;
    FILE *stream = open_memstream(&buffer, &size);

    std::string close() {
        fclose(stream);
        std::string text(buffer, size);
        free(buffer);
        return text;
    }
};

[[noreturn]] void finding(const char *what, const observed_run_t &run) {
    fprintf(stderr, "\nfinding: %s (status %d)\n--- stdout:\n%s\n--- stderr:\n%s\n", what, run.status,
            run.out.c_str(), run.err.c_str());
    abort();
}

// Every fatal message begins "Error" or, after a locator line, "Unable to".
bool has_error_message(const std::string &err) {
    return err.find("Error") != std::string::npos || err.find("Unable to") != std::string::npos;
}

// Warnings only: each begins with "Warning: " (the dropped-residue warning has no line feed).
bool only_warnings(const std::string &err) { return err.empty() || err.compare(0, 9, "Warning: ") == 0; }

void check_status(const observed_run_t &run) {
    if (run.status != -1 && run.status != 0 && run.status != 1) finding("exit status other than 0 or 1", run);
    if (run.status == 1 && !has_error_message(run.err)) finding("status 1 without an error message", run);
    if (run.status != 1 && !only_warnings(run.err)) finding("message other than a warning without status 1", run);
}

}  // namespace

observed_run_t run_observed(const std::function<int()> &call, bool capture_stdout) {
    FILE *const saved_err = stderr;
    FILE *const saved_out = stdout;
    memory_stream_t err, out;
    stderr = err.stream;
    if (capture_stdout) stdout = out.stream;
    int status;
    try {
        status = call();
    } catch (const run_ended &end) {
        status = end.status;
    }
    stderr = saved_err;
    stdout = saved_out;
    return {status, out.close(), err.close()};
}

observed_run_t read_selection_and_stats(const parameters_t &params, data_t &data) {
    return run_observed(
        [&] {
            read_cs_to_analyse(params, data);
            read_stats(params, data);
            return -1;
        },
        true);
}

void discard_standard_output() {
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();
}

void check_reader_run(const observed_run_t &run) {
    check_status(run);
    // The readers write on standard output only through the close guard, whose
    // failure cannot come from the input.
    if (!run.out.empty()) finding("reader output on standard output", run);
}

void check_whole_run(const observed_run_t &run) {
    if (run.status == -1) finding("run returned no status", run);
    check_status(run);
}

std::string write_scratch_file(const char *name, const uint8_t *data, std::size_t size) {
    const std::string path = scratch_folder() + "/" + name;
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && fwrite(data, 1, size, file) != size) || fclose(file) != 0) {
        perror(path.c_str());
        abort();
    }
    return path;
}

std::string write_scratch_file(const char *name, const std::string &text) {
    return write_scratch_file(name, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

FILE *open_byte_stream(const uint8_t *data, std::size_t size) {
    // fmemopen refuses an empty buffer; an empty input reads as /dev/null.
    FILE *stream = size > 0 ? fmemopen(const_cast<uint8_t *>(data), size, "r") : fopen("/dev/null", "r");
    if (stream == nullptr) {
        perror("input stream");
        abort();
    }
    return stream;
}

namespace {


// The full-permutation models grow factorially with the atoms of a nucleus
// and the shifts given to them; these bounds keep one execution well under a
// second (at most 10 atoms in 3 shifts per nucleus over 8 spin systems).
constexpr std::size_t max_input_bytes = 8192;
constexpr int max_atom_lines = 10;
constexpr long max_shifts_per_nucleus = 3;
constexpr int max_spin_systems = 8;

// The parts between lines that hold only "%%"; false unless there are three.
bool split_parts(const std::string &text, std::string parts[3]) {
    int part = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t feed = text.find('\n', start);
        std::size_t end = feed == std::string::npos ? text.size() : feed + 1;
        if (text.compare(start, end - start, "%%\n") == 0) {
            if (++part > 2) return false;
        } else {
            parts[part].append(text, start, end - start);
        }
        if (feed == std::string::npos) break;
        start = end;
    }
    return part == 2;
}

int count_lines(const std::string &text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

int count_occurrences(const std::string &text, const char *word) {
    int found = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) found++;
    return found;
}

// Every count the spin-system reader could take: the integer three
// characters after any "n=", read by the same prefix rules.
bool counts_within(const std::string &spins, long bound) {
    for (std::size_t at = spins.find("n="); at != std::string::npos; at = spins.find("n=", at + 1)) {
        if (at + 3 >= spins.size()) continue;
        if (strtol(spins.c_str() + at + 3, nullptr, 10) > bound) return false;
    }
    return true;
}

}  // namespace

bool split_run_input(const uint8_t *bytes, std::size_t size, std::string parts[3]) {
    if (size > max_input_bytes) return false;
    if (!split_parts(std::string(reinterpret_cast<const char *>(bytes), size), parts)) return false;
    return count_lines(parts[0]) <= max_atom_lines && counts_within(parts[2], max_shifts_per_nucleus) &&
           count_occurrences(parts[2], "<res ") <= max_spin_systems;
}
