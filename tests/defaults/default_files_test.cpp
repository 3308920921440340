// SPDX-License-Identifier: GPL-3.0-or-later
// Default data files: the installed layout wins, the source tree serves only
// a program run from a build folder, and a relocated installation finds its
// own files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "defaults/default_files.h"

namespace {

struct folder_t {
    std::string path;
    folder_t() {
        char pattern[] = "/tmp/kestrin-defaults-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~folder_t() { std::filesystem::remove_all(path); }
    void write(const std::string &name, const std::string &text) const {
        const std::filesystem::path file = path + "/" + name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
};

TEST(DefaultFiles, InstalledBesideTheProgramThenTheBuildTreeThenNone) {
    folder_t root;
    root.write("usr/share/kestrin/stats_full.txt", "x");
    root.write("usr/bin/.keep", "");
    root.write("build/CMakeCache.txt", "");
    root.write("build/.keep", "");
    root.write("other/.keep", "");

    EXPECT_EQ(default_data_file_for(root.path + "/usr/bin", "stats_full.txt"),
              root.path + "/usr/bin/../share/kestrin/stats_full.txt");
    EXPECT_EQ(default_data_file_for(root.path + "/usr/bin", "atoms_full.txt"), std::nullopt);
    // A build folder falls back on the source tree's data/ folder ...
    EXPECT_EQ(default_data_file_for(root.path + "/build", "atoms_full.txt"),
              std::string(KESTRIN_SOURCE_DATA_DIR) + "/atoms_full.txt");
    // ... an installed or relocated program never does.
    EXPECT_EQ(default_data_file_for(root.path + "/other", "atoms_full.txt"), std::nullopt);
    // A folder of that name is not a file.
    root.write("usr/share/kestrin/folder/.keep", "");
    EXPECT_EQ(default_data_file_for(root.path + "/usr/bin", "folder"), std::nullopt);
}

TEST(DefaultFiles, TheRunningProgramHasAFolder) {
    const std::optional<std::string> folder = running_program_folder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->front(), '/');
    EXPECT_NE(folder->back(), '/');
}

}  // namespace
