// Fuzz target: a whole run with all four models, on a fuzzed atom selection,
// statistics file and spin-system input, split from one input at "%%" lines.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver/kestrin.h"
#include "fuzz_support.h"

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

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The reports are not examined; the run's messages on standard error are.
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    if (size > max_input_bytes) return -1;
    std::string parts[3];
    if (!split_parts(std::string(reinterpret_cast<const char *>(bytes), size), parts)) return -1;
    if (count_lines(parts[0]) > max_atom_lines || !counts_within(parts[2], max_shifts_per_nucleus) ||
        count_occurrences(parts[2], "<res ") > max_spin_systems)
        return -1;

    std::string atoms = write_scratch_file("atoms.txt", parts[0]);
    std::string stats = write_scratch_file("stats.txt", parts[1]);
    std::vector<std::string> args = {"kestrin", "-cfpi", "-cfpd", "-cspi", "-cspd", "-af", atoms, "-sf", stats};
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    FILE *const saved_in = stdin;
    stdin = open_byte_stream(reinterpret_cast<const uint8_t *>(parts[2].data()), parts[2].size());
    const observed_run_t run = run_observed([&] { return kestrin_main(static_cast<int>(args.size()), argv.data()); },
                                            false);
    fclose(stdin);
    stdin = saved_in;
    fflush(stdout);
    check_whole_run(run);
    return 0;
}
