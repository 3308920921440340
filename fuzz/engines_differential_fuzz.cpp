// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the engines against the straightforward enumeration on fuzzed
// inputs (split like the whole-run target's). Both must end the same way; on
// ordinary inputs (finite shifts and statistics, missing rates within [0, 1],
// positive standard deviations and variances) their scores must agree to a
// relative 1e-9, or both be 0, or both not a number. Elsewhere an infinite
// shift, say, may give 0 in one and not a number in the other.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engines/engines.h"
#include "engines/factors.h"
#include "fuzz_support.h"
#include "input/failure.h"
#include "input/readers.h"
#include "reference/reference_engines.h"

namespace {

using proba_t = double (*)(const value_data_t &, const stat_data_t &);

struct score_t {
    bool ended;    // the engine ended the run (a singular covariance)
    double value;  // its score otherwise
};

score_t score(proba_t proba, const value_data_t &v, const stat_data_t &s) {
    try {
        return {false, proba(v, s)};
    } catch (const run_ended &) {
        return {true, 0.0};
    }
}

bool ordinary(const value_data_t &v, const stat_data_t &s) {
    for (const std::vector<double> *values : {&v.H_val, &v.C_val, &v.N_val})
        for (const double x : *values)
            if (!(std::fabs(x) < 1e6)) return false;
    const int atoms = s.H_num + s.C_num + s.N_num;
    for (int a = 0; a < atoms; a++) {
        if (!(s.miss[a] >= 0.0 && s.miss[a] <= 1.0) || !std::isfinite(s.mean[a])) return false;
        if (!(s.std_dev[a] > 1e-3 && s.std_dev[a] < 1e3) || !(s.cov[a][a] > 1e-6 && s.cov[a][a] < 1e6)) return false;
        for (int b = 0; b < atoms; b++)
            if (!std::isfinite(s.cov[a][b])) return false;
    }
    return true;
}

bool agree(double fast, double reference) {
    if (std::isnan(fast) || std::isnan(reference)) return std::isnan(fast) && std::isnan(reference);
    if (fast == 0.0 || reference == 0.0) return fast == reference;
    return std::fabs(fast - reference) <= 1e-9 * std::max(std::fabs(reference), DBL_MIN);
}

[[noreturn]] void disagreement(const char *model, int spin, int type, const score_t &fast, const score_t &reference) {
    fprintf(stderr, "%s: spin system %d, type %d: fast %s%.17g, reference %s%.17g\n", model, spin, type,
            fast.ended ? "ended " : "", fast.value, reference.ended ? "ended " : "", reference.value);
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    discard_standard_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size) {
    std::string parts[3];
    if (!split_run_input(bytes, size, parts)) return -1;
    parameters_t params;
    params.input_atoms_fname = write_scratch_file("atoms.txt", parts[0]);
    params.Corvane_fname = write_scratch_file("stats.txt", parts[1]);
    data_t data;
    FILE *in = open_byte_stream(reinterpret_cast<const uint8_t *>(parts[2].data()), parts[2].size());
    const observed_run_t read = run_observed(
        [&] {
            read_cs_to_analyse(params, data);
            read_stats(params, data);
            read_input_values(data, in);
            return -1;
        },
        false);
    fclose(in);
    if (read.status != -1) return 0;

    const struct {
        const char *name;
        proba_t fast, reference;
    } models[] = {{"-cfpi", full_perm_indep_proba, reference::full_perm_indep_proba},
                  {"-cfpd", full_perm_dep_proba, reference::full_perm_dep_proba},
                  {"-cspi", select_perm_indep_proba, reference::select_perm_indep_proba},
                  {"-cspd", select_perm_dep_proba, reference::select_perm_dep_proba}};
    for (int i = 0; i < data.spin_num; i++)
        for (int t = 0; t < data.type_num; t++) {
            const value_data_t &v = data.vdata[i];
            const stat_data_t &s = data.sdata[t];
            if (fails_count_test(v, s)) continue;
            for (const auto &model : models) {
                score_t fast, reference;
                run_observed(
                    [&] {
                        fast = score(model.fast, v, s);
                        reference = score(model.reference, v, s);
                        return 0;
                    },
                    false);
                if (fast.ended != reference.ended) disagreement(model.name, i + 1, t, fast, reference);
                if (!fast.ended && ordinary(v, s) && !agree(fast.value, reference.value))
                    disagreement(model.name, i + 1, t, fast, reference);
            }
        }
    return 0;
}
