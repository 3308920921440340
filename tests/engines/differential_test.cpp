// SPDX-License-Identifier: GPL-3.0-or-later
// The engines against the straightforward enumeration: on random inputs and
// on the real example data, every score agrees to a relative 1e-12 (or both
// are 0, or both not a number) and the printed reports are the same.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <sstream>

#include "engines/engines.h"
#include "engines/factors.h"
#include "engines/row_walk.h"
#include "input/failure.h"
#include "input/readers.h"
#include "reference/reference_engines.h"
#include "report/report.h"
#include "test_support.h"

namespace {

using proba_t = double (*)(const value_data_t &, const stat_data_t &);

struct model_t {
    const char *name;
    proba_t fast, reference;
};

const model_t models[] = {
    {"full_perm_indep", full_perm_indep_proba, reference::full_perm_indep_proba},
    {"full_perm_dep", full_perm_dep_proba, reference::full_perm_dep_proba},
    {"select_perm_indep", select_perm_indep_proba, reference::select_perm_indep_proba},
    {"select_perm_dep", select_perm_dep_proba, reference::select_perm_dep_proba},
};

// Agreement to a relative 1e-12. Below the smallest normal double the
// spacing of representable values is absolute (4.9e-324), and a straight
// product of many factors loses digits there whatever the order, so scores
// in that range are compared relative to the smallest normal double.
bool scores_agree(double fast, double reference) {
    if (std::isnan(fast) || std::isnan(reference)) return std::isnan(fast) && std::isnan(reference);
    if (fast == 0.0 || reference == 0.0) return fast == reference;
    const double scale = std::max(std::fabs(reference), DBL_MIN);
    return std::fabs(fast - reference) <= 1e-12 * scale;
}

std::string report_of(data_t &data, proba_t proba) {
    calculate_probas(data, proba, {}, 1);
    testing::internal::CaptureStdout();
    print_probas(data);
    return testing::internal::GetCapturedStdout();
}

// Compares one model on every pair of the data and on the whole report;
// pairs whose reference enumeration exceeds `most_attachments` are left out.
void expect_same(data_t &data, const model_t &model, const std::string &what, double most_attachments = 1e300) {
    bool whole = true;
    for (int i = 0; i < data.spin_num; i++)
        for (int t = 0; t < data.type_num; t++) {
            const value_data_t &v = data.vdata[i];
            const stat_data_t &s = data.sdata[t];
            if (fails_count_test(v, s)) continue;
            double attachments = 1.0;
            const int atoms[] = {s.H_num, s.C_num, s.N_num}, shifts[] = {v.H_num, v.C_num, v.N_num};
            for (int k = 0; k < 3; k++)
                for (int j = 0; j < shifts[k]; j++) attachments *= atoms[k] - j;
            if (attachments > most_attachments) {
                whole = false;
                continue;
            }
            const double fast = model.fast(v, s), reference = model.reference(v, s);
            EXPECT_TRUE(scores_agree(fast, reference))
                << what << " " << model.name << ": spin system " << i + 1 << ", type " << t << ": fast "
                << fast << ", reference " << reference;
        }
    if (whole) {
        EXPECT_EQ(report_of(data, model.fast), report_of(data, model.reference)) << what << " " << model.name;
    }
}

// A random symmetric covariance: positive definite (A Aᵀ + diagonal), or
// sometimes indefinite, or rarely not symmetric at all.
std::vector<std::vector<double>> random_covariance(std::mt19937 &random, const std::vector<double> &std_dev) {
    const int m = static_cast<int>(std_dev.size());
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<std::vector<double>> A(m, std::vector<double>(m)), cov(m, std::vector<double>(m, 0.0));
    for (auto &row : A)
        for (double &x : row) x = unit(random);
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    for (int a = 0; a < m; a++)
        for (int b = 0; b < m; b++) {
            double sum = 0.0;
            for (int k = 0; k < m; k++) sum += A[a][k] * A[b][k];
            cov[a][b] = 0.4 * std_dev[a] * std_dev[b] * sum / m;
        }
    for (int a = 0; a < m; a++) cov[a][a] += std_dev[a] * std_dev[a];
    if (kind == 0 && m >= 2) cov[0][1] = cov[1][0] = 3.0 * std_dev[0] * std_dev[1];  // indefinite
    if (kind == 1 && m >= 2) cov[1][0] *= 0.5;                                        // not symmetric
    return cov;
}

// Random types (a few atoms per nucleus) and spin systems whose shifts lie
// near some atom's mean, sometimes far from all, sometimes equal to the
// one before, sometimes too many.
data_t random_data(std::mt19937 &random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto count = [&](int most) { return std::uniform_int_distribution<int>(0, most)(random); };
    const double base[3] = {4.0, 50.0, 120.0}, spread[3] = {4.0, 30.0, 10.0};
    data_t data;
    data.type_num = 1 + count(3);
    for (int t = 0; t < data.type_num; t++) {
        stat_data_t s;
        int atoms[3];
        for (int k = 0; k < 3; k++) atoms[k] = count(k == 2 ? 2 : 3);
        s.H_num = atoms[0], s.C_num = atoms[1], s.N_num = atoms[2];
        s.atom_num = s.H_num + s.C_num + s.N_num;
        for (int k = 0; k < 3; k++)
            for (int a = 0; a < atoms[k]; a++) {
                s.mean.push_back(base[k] + spread[k] * unit(random));
                s.std_dev.push_back((k == 0 ? 0.2 : 1.0) * (0.5 + unit(random)));
                const int kind = count(9);
                s.miss.push_back(kind == 0 ? 0.0 : kind == 1 ? 1.0 : unit(random));
                s.atom_type.push_back("HCN"[k]);
            }
        s.cov = matrix_of(random_covariance(random, s.std_dev));
        data.sdata.push_back(std::move(s));
    }
    data.spin_num = 1 + count(4);
    for (int i = 0; i < data.spin_num; i++) {
        const stat_data_t &s = data.sdata[count(data.type_num - 1)];
        value_data_t v;
        v.res_type = count(2) == 0 ? -1 : count(data.type_num - 1);
        const int atoms[3] = {s.H_num, s.C_num, s.N_num}, first[3] = {0, s.H_num, s.H_num + s.C_num};
        std::vector<double> *values[3] = {&v.H_val, &v.C_val, &v.N_val};
        for (int k = 0; k < 3; k++) {
            const int shifts = std::min(count(atoms[k] + 1), 4);
            for (int j = 0; j < shifts; j++) {
                const int a = atoms[k] > 0 ? first[k] + count(atoms[k] - 1) : -1;
                const double near = a >= 0 ? s.mean[a] + 2.0 * s.std_dev[a] * (unit(random) - 0.5) : base[k];
                const double shift = count(7) == 0 ? base[k] + 3 * spread[k] * unit(random) : near;
                // Spin systems list the shift of two alike atoms twice, to the digit.
                values[k]->push_back(j > 0 && count(3) == 0 ? values[k]->back() : shift);
            }
        }
        v.H_num = static_cast<int>(v.H_val.size());
        v.C_num = static_cast<int>(v.C_val.size());
        v.N_num = static_cast<int>(v.N_val.size());
        v.total_num = v.H_num + v.C_num + v.N_num;
        v.proba.assign(data.type_num, 0.0);
        data.vdata.push_back(std::move(v));
    }
    return data;
}

TEST(Differential, RandomInputs) {
    std::mt19937 random(2026);
    for (int input = 0; input < 1000; input++) {
        data_t data = random_data(random);
        for (const model_t &model : models) {
            // A singular covariance ends the run, in either engine.
            testing::internal::CaptureStderr();
            try {
                expect_same(data, model, "input " + std::to_string(input));
            } catch (const run_ended &end) {
                EXPECT_EQ(end.status, 1);
            }
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_TRUE(err.empty() || err == "Error in lu_matrix_decomposition: singular matrix.\n") << err;
        }
    }
}

data_t example(const std::string &atoms, const std::string &stats, const std::string &protein) {
    const std::string folder = KESTRIN_DATA_DIR "/";
    parameters_t params;
    params.input_atoms_fname = folder + atoms;
    params.Corvane_fname = folder + stats;
    data_t data;
    FILE *in = fopen((folder + protein).c_str(), "r");
    const outcome_t o = run_captured([&] {
        read_cs_to_analyse(params, data);
        read_stats(params, data);
        read_input_values(data, in);
    });
    if (in != nullptr) fclose(in);
    EXPECT_EQ(o.status, -1) << o.err;
    return data;
}

TEST(Differential, ExampleBackboneData) {
    for (const char *protein : {"protein_1huu_backbone.xml", "protein_2hze_backbone_unk.xml"}) {
        data_t data = example("atoms_backbone.txt", "stats_backbone.txt", protein);
        for (const model_t &model : models) expect_same(data, model, protein);
    }
}

TEST(Differential, ExampleFullAtomDataWhereTheEnumerationIsShort) {
    data_t data = example("atoms_full.txt", "stats_full.txt", "protein_2hze_full_unk.xml");
    data.spin_num = 30;
    for (const model_t &model : models) expect_same(data, model, "2hze full", 2e4);
}

// A type of three atoms per nucleus and spin systems with one shift of the
// nucleus `lead` and two or three of the others: the walk lays out the lead
// nucleus first, so that its only row is the last of its nucleus among the
// rows that the parts of a split walk replay.
data_t lead_data(std::mt19937 &random, int lead) {
    data_t data = random_data(random);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double base[3] = {4.0, 50.0, 120.0}, spread[3] = {4.0, 30.0, 10.0};
    stat_data_t s;
    s.H_num = s.C_num = s.N_num = 3;
    s.atom_num = 9;
    for (int k = 0; k < 3; k++)
        for (int a = 0; a < 3; a++) {
            s.mean.push_back(base[k] + spread[k] * unit(random));
            s.std_dev.push_back((k == 0 ? 0.2 : 1.0) * (0.5 + unit(random)));
            s.miss.push_back(0.05 + 0.9 * unit(random));
            s.atom_type.push_back("HCN"[k]);
        }
    s.cov = matrix_of(random_covariance(random, s.std_dev));
    data.sdata.clear();
    data.sdata.push_back(std::move(s));
    data.type_num = 1;
    for (value_data_t &v : data.vdata) {
        const stat_data_t &t = data.sdata[0];
        std::vector<double> *values[3] = {&v.H_val, &v.C_val, &v.N_val};
        for (int k = 0; k < 3; k++) {
            values[k]->clear();
            const int shifts = k == lead ? 1 : 2 + std::uniform_int_distribution<int>(0, 1)(random);
            for (int j = 0; j < shifts; j++) values[k]->push_back(t.mean[3 * k + j] + t.std_dev[3 * k + j] * unit(random));
        }
        v.H_num = static_cast<int>(v.H_val.size());
        v.C_num = static_cast<int>(v.C_val.size());
        v.N_num = static_cast<int>(v.N_val.size());
        v.total_num = v.H_num + v.C_num + v.N_num;
        v.res_type = -1;
        v.proba.assign(1, 0.0);
    }
    return data;
}

// The split walk against the enumeration: with every walk of five rows or
// more split into parts (the smallest threshold), the parts replaying the
// first rows of whichever nucleus the layout puts first, the scores on 1, 2
// and 7 threads equal each other to the last bit and the enumeration to a
// relative 1e-12, every missing-rate factor included.
TEST(Differential, SplitWalksAgreeWithTheEnumerationOnAnyNumberOfThreads) {
    using pass_t = void (*)(data_t &, const walk_limits_t &, const pass_progress_t &, int);
    const struct {
        const char *name;
        pass_t pass;
        proba_t reference;
    } passes[] = {{"full_perm_dep", calculate_full_perm_dep_probas, reference::full_perm_dep_proba},
                  {"select_perm_dep", calculate_select_perm_dep_probas, reference::select_perm_dep_proba}};
    walk_limits_t split;
    split.split_completions = 0.0;
    std::mt19937 random(2718);
    int compared = 0;
    for (int input = 0; input < 300; input++) {
        data_t data = input % 2 == 0 ? random_data(random) : lead_data(random, input / 2 % 3);
        for (const auto &p : passes) {
            std::vector<std::vector<double>> on_one;
            for (const int threads : {1, 2, 7}) {
                testing::internal::CaptureStderr();
                bool singular = false;
                try {
                    p.pass(data, split, {}, threads);
                } catch (const run_ended &) {
                    singular = true;
                }
                testing::internal::GetCapturedStderr();
                if (singular) break;
                std::vector<std::vector<double>> scores;
                for (const value_data_t &v : data.vdata) scores.push_back(v.proba);
                if (threads == 1) on_one = scores;
                EXPECT_EQ(scores, on_one) << p.name << ", input " << input << ", " << threads << " threads";
            }
            for (int i = 0; i < static_cast<int>(on_one.size()); i++)
                for (int t = 0; t < data.type_num; t++) {
                    const value_data_t &v = data.vdata[i];
                    const stat_data_t &s = data.sdata[t];
                    if (fails_count_test(v, s) || v.total_num < 5) continue;
                    const double reference = p.reference(v, s);
                    compared++;
                    EXPECT_TRUE(scores_agree(on_one[i][t], reference))
                        << p.name << ", input " << input << ", spin system " << i + 1 << ", type " << t
                        << ": split " << on_one[i][t] << ", enumeration " << reference;
                }
        }
    }
    EXPECT_GT(compared, 80) << "too few walks long enough to split";
}

}  // namespace
