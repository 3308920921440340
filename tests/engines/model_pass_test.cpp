// SPDX-License-Identifier: GPL-3.0-or-later
// The model pass on 1, 2 and 7 threads: the same scores to the last bit,
// the same first fatal error, and progress that only counts up to the total.
#include "engines/model_pass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engines/engines.h"
#include "engines/factors.h"
#include "engines/row_walk.h"
#include "input/failure.h"
#include "input/readers.h"
#include "test_support.h"

namespace {

const int thread_counts[] = {1, 2, 7};

// 2HZE with full atoms, cut to spin systems whose walks against PHE and TRP
// are among the longest, so that some pairs are scored in parts.
data_t long_walks() {
    const std::string folder = KESTRIN_DATA_DIR "/";
    parameters_t params;
    params.input_atoms_fname = folder + "atoms_full.txt";
    params.Corvane_fname = folder + "stats_full.txt";
    data_t data;
    FILE *in = fopen((folder + "protein_2hze_full_unk.xml").c_str(), "r");
    const outcome_t o = run_captured([&] {
        read_cs_to_analyse(params, data);
        read_stats(params, data);
        read_input_values(data, in);
    });
    if (in != nullptr) fclose(in);
    EXPECT_EQ(o.status, -1) << o.err;
    std::vector<value_data_t> kept;
    for (const int spin : {3, 4, 5, 41, 49})
        if (spin <= data.spin_num) kept.push_back(std::move(data.vdata[spin - 1]));
    data.vdata = std::move(kept);
    data.spin_num = static_cast<int>(data.vdata.size());
    return data;
}

struct progress_log_t {
    std::vector<int> done;
    int total = 0;
};

void log_progress(void *context, int done, int total) {
    progress_log_t &log = *static_cast<progress_log_t *>(context);
    log.done.push_back(done);
    log.total = total;
}

// Counts up, never past the total, and ends at it.
void expect_counting_up(const progress_log_t &log, int spins, int threads) {
    ASSERT_FALSE(log.done.empty()) << threads << " threads";
    EXPECT_EQ(log.total, spins) << threads << " threads";
    for (std::size_t i = 1; i < log.done.size(); i++) EXPECT_LE(log.done[i - 1], log.done[i]) << threads << " threads";
    EXPECT_EQ(log.done.back(), spins) << threads << " threads";
}

TEST(ModelPass, ScoresAreTheSameOnAnyNumberOfThreads) {
    data_t data = long_walks();
    bool parts = false;
    for (const value_data_t &v : data.vdata)
        for (const stat_data_t &s : data.sdata)
            if (v.total_num > 0 && !fails_count_test(v, s)) {
                const pair_score_t score = full_perm_dep_score(v, s);
                parts = parts || (score.work && score.work->release() > 0);
            }
    ASSERT_TRUE(parts) << "no walk of the test data is scored in parts";

    void (*const passes[])(data_t &, const pass_progress_t &, int) = {calculate_full_perm_dep_probas,
                                                                       calculate_select_perm_dep_probas};
    double (*const probas[])(const value_data_t &, const stat_data_t &) = {full_perm_dep_proba, select_perm_dep_proba};
    for (int model = 0; model < 2; model++)
        for (const int threads : thread_counts) {
            progress_log_t log;
            passes[model](data, {log_progress, &log}, threads);
            expect_counting_up(log, data.spin_num, threads);
            for (int i = 0; i < data.spin_num; i++)
                for (int t = 0; t < data.type_num; t++) {
                    const value_data_t &v = data.vdata[i];
                    const double alone = fails_count_test(v, data.sdata[t]) ? 0.0 : probas[model](v, data.sdata[t]);
                    EXPECT_EQ(v.proba[t], alone) << "model " << model << ", " << threads << " threads, spin system "
                                                 << i + 1 << ", type " << t;
                }
        }
}

// The pairs of the real data that the passes split at the default threshold,
// against the same walks left whole: a part that lost a factor (a nucleus's
// missing rate, a row of the factor) would change the sum far beyond the
// 1e-13 that skipping may take from each.
TEST(ModelPass, SplitWalksOfTheExampleDataEqualTheWalksLeftWhole) {
    data_t data = long_walks();
    walk_limits_t whole;
    whole.split_completions = HUGE_VAL;
    void (*const passes[])(data_t &, const walk_limits_t &, const pass_progress_t &, int) = {
        calculate_full_perm_dep_probas, calculate_select_perm_dep_probas};
    for (int model = 0; model < 2; model++) {
        passes[model](data, whole, {}, 1);
        std::vector<std::vector<double>> unsplit;
        for (const value_data_t &v : data.vdata) unsplit.push_back(v.proba);
        for (const int threads : thread_counts) {
            passes[model](data, walk_limits_t{}, {}, threads);
            for (int i = 0; i < data.spin_num; i++)
                for (int t = 0; t < data.type_num; t++) {
                    const double split = data.vdata[i].proba[t], alone = unsplit[i][t];
                    EXPECT_LE(std::fabs(split - alone), 1e-12 * std::fabs(alone))
                        << "model " << model << ", " << threads << " threads, spin system " << i + 1 << ", type " << t
                        << ": split " << split << ", whole " << alone;
                }
        }
    }
}

// A stand-in engine whose pairs fail where the spin system's first shift
// says so: 1 fails at the start of type 1, 2 fails in part 2 of type 0,
// 3 fails at the start of every type; others score in three parts.
class parts_t final : public pair_work_t {
public:
    parts_t(double code, int atoms) : code_(code), atoms_(atoms) {}

    int release() override {
        const int count = released_ == 0 ? 3 : 0;
        released_ += count;
        return count;
    }

    void run(int part) override {
        if (code_ == 2.0 && atoms_ == 1 && part == 2) fail("part %d of a pair of code %g\n", part, code_);
        results_[part] = code_ + atoms_ + part;
    }

    double total() const override { return results_[0] + results_[1] + results_[2]; }

private:
    double code_;  // the spin system's first shift
    int atoms_;    // the type's H atoms
    int released_ = 0;
    double results_[3] = {0.0, 0.0, 0.0};
};

pair_score_t failing_engine(const value_data_t &v, const stat_data_t &s) {
    const double code = v.H_val[0];
    if ((code == 1.0 && s.H_num == 2) || code == 3.0) fail("start of a pair of code %g with %d H atoms\n", code, s.H_num);
    pair_score_t score;
    score.work = std::make_shared<parts_t>(code, s.H_num);
    return score;
}

data_t coded_spin_systems(const std::vector<double> &codes) {
    data_t data;
    data.type_num = 2;
    for (const int atoms : {1, 2}) {
        stat_data_t s;
        s.H_num = s.atom_num = atoms;
        data.sdata.push_back(std::move(s));
    }
    for (const double code : codes) {
        value_data_t v;
        v.H_val = {code};
        v.H_num = v.total_num = 1;
        v.proba.assign(2, -1.0);
        data.vdata.push_back(std::move(v));
    }
    data.spin_num = static_cast<int>(codes.size());
    return data;
}

TEST(ModelPass, TheFirstFailureInOrderEndsThePassOnAnyNumberOfThreads) {
    const struct {
        std::vector<double> codes;
        std::string message;
    } cases[] = {
        {{0.0, 0.0, 1.0, 0.0, 3.0, 2.0}, "start of a pair of code 1 with 2 H atoms\n"},
        {{0.0, 0.5, 2.0, 1.0, 0.0, 0.0}, "part 2 of a pair of code 2\n"},
        {{0.0, 3.0, 0.5, 1.0, 0.0, 0.0}, "start of a pair of code 3 with 1 H atoms\n"},
    };
    for (const auto &c : cases)
        for (const int threads : thread_counts) {
            data_t data = coded_spin_systems(c.codes);
            const outcome_t o = run_captured([&] { calculate_probas(data, failing_engine, {}, threads); });
            EXPECT_EQ(o.status, 1) << c.message << threads << " threads";
            EXPECT_EQ(o.err, c.message) << threads << " threads";
            EXPECT_EQ(o.out, "") << threads << " threads";
        }

    for (const int threads : thread_counts) {
        data_t data = coded_spin_systems({0.0, 0.5, 4.0});
        progress_log_t log;
        calculate_probas(data, failing_engine, {log_progress, &log}, threads);
        expect_counting_up(log, 3, threads);
        EXPECT_EQ(data.vdata[2].proba[1], (4.0 + 2) + (4.0 + 3) + (4.0 + 4)) << threads << " threads";
        EXPECT_EQ(data.vdata[1].proba[0], (0.5 + 1) + (0.5 + 2) + (0.5 + 3)) << threads << " threads";
    }
}

}  // namespace
