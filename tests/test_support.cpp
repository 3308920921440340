// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for unit tests.
#include "test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "input/failure.h"
#include "input/readers.h"

outcome_t run_captured(const std::function<void()> &call) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = -1;
    try {
        call();
    } catch (const run_ended &end) {
        status = end.status;
    }
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    return {status, out, err};
}

namespace {

// Runs every test inside a fresh temporary folder.
class scratch_folder_t : public testing::Environment {
  public:
    void SetUp() override {
        char pattern[] = "/tmp/kestrin_tests_XXXXXX";
        if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) abort();
        folder_ = pattern;
    }
    void TearDown() override {
        if (chdir("/") != 0 || std::system(("rm -rf '" + folder_ + "'").c_str()) != 0) fprintf(stderr, "cannot remove %s\n", folder_.c_str());
    }

  private:
    std::string folder_;
};

const testing::Environment *const scratch_folder = testing::AddGlobalTestEnvironment(new scratch_folder_t);

}  // namespace

void write_file(const std::string &name, const std::string &content) {
    FILE *file = fopen(name.c_str(), "w");
    if (file == nullptr || fwrite(content.data(), 1, content.size(), file) != content.size()) abort();
    fclose(file);
}

FILE *text_stream(const std::string &content) {
    write_file("input.xml", content);
    FILE *stream = fopen("input.xml", "r");
    if (stream == nullptr) abort();
    return stream;
}

outcome_t read_selection_and_stats(const std::string &atoms, const std::string &stats, data_t &data) {
    parameters_t params;
    write_file("atoms.txt", atoms);
    write_file("stats.txt", stats);
    params.input_atoms_fname = "atoms.txt";
    params.Corvane_fname = "stats.txt";
    return run_captured([&] {
        read_cs_to_analyse(params, data);
        read_stats(params, data);
    });
}

outcome_t read_spin_systems(const std::string &input, data_t &data) {
    FILE *stream = text_stream(input);
    outcome_t outcome = run_captured([&] { read_input_values(data, stream); });
    fclose(stream);
    return outcome;
}

matrix_t<double> matrix_of(const std::vector<std::vector<double>> &rows) {
    matrix_t<double> m;
    const int n = static_cast<int>(rows.size());
    const int cols = n > 0 ? static_cast<int>(rows[0].size()) : 0;
    allocate_matrix(m, n, cols, "(m)", "(m)[0]", __LINE__, __func__);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < cols; j++) m[i][j] = rows[i][j];
    return m;
}
