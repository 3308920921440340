// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a whole run with all four models, the table and the picture,
// on a fuzzed atom selection, statistics file and spin-system input, split
// from one input at "%%" lines.
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/kestrin.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The reports are not examined; the run's messages on standard error are.
    discard_standard_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    std::string parts[3];
    if (!split_run_input(bytes, size, parts)) return -1;

    std::string atoms = write_scratch_file("atoms.txt", parts[0]);
    std::string stats = write_scratch_file("stats.txt", parts[1]);
    // The table and the picture go to a device that takes everything, so no
    // file is synced per execution; /dev/null is standard output here, which
    // would take the reports' place.
    std::vector<std::string> args = {"kestrin", "-cfpi", "-cfpd", "-cspi", "-cspd", "-af",  atoms,
                                     "-sf",     stats,   "--table", "/dev/zero", "--plot", "/dev/zero"};
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
