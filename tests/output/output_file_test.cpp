// SPDX-License-Identifier: GPL-3.0-or-later
// Output files: replaced whole on commit, untouched on failure, errors named.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "output/output_file.h"
#include "test_support.h"

namespace {

std::string contents(const std::string &name) {
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Names in the working folder, so a forgotten temporary shows.
std::string folder_listing() {
    std::string names;
    DIR *dir = opendir(".");
    while (dirent *entry = readdir(dir))
        if (entry->d_name[0] != '.' || (entry->d_name[1] != '\0' && entry->d_name[1] != '.')) names += std::string(entry->d_name) + " ";
    closedir(dir);
    return names;
}

TEST(OutputFile, CommitReplacesAndAFailedRunLeavesTheOldFile) {
    write_file("table.tsv", "old\n");
    {
        output_file_t file("table.tsv");
        fputs("new\n", file.stream());
        EXPECT_EQ(contents("table.tsv"), "old\n") << "written before commit";
    }
    EXPECT_EQ(contents("table.tsv"), "old\n");
    EXPECT_EQ(folder_listing().find(".tmp"), std::string::npos) << folder_listing();
    {
        output_file_t file("table.tsv");
        fputs("new\n", file.stream());
        file.commit();
    }
    EXPECT_EQ(contents("table.tsv"), "new\n");
    EXPECT_EQ(folder_listing().find(".tmp"), std::string::npos) << folder_listing();
}

TEST(OutputFile, FailuresNameThePathAndTheReason) {
    write_file("plain", "");
    const struct {
        const char *path;
        bool at_commit;
        const char *message;
    } cases[] = {
        {"no/such/folder/t.tsv", false, "Error: cannot write 'no/such/folder/t.tsv': No such file or directory\n"},
        {"plain/t.tsv", false, "Error: cannot write 'plain/t.tsv': Not a directory\n"},
        {"/dev/full", true, "Error: cannot write '/dev/full': No space left on device\n"},
    };
    for (const auto &c : cases) {
        const outcome_t o = run_captured([&] {
            output_file_t file(c.path);
            fputs("text\n", file.stream());
            file.commit();
        });
        EXPECT_EQ(o.status, 1) << c.path;
        EXPECT_EQ(o.err, c.message);
    }
    EXPECT_EQ(contents("plain"), "");
}

TEST(OutputFile, ALinkStaysAndStandardOutputIsWrittenInPlace) {
    write_file("target.tsv", "old\n");
    ASSERT_EQ(symlink("target.tsv", "link.tsv"), 0);
    {
        output_file_t file("link.tsv");
        fputs("new\n", file.stream());
        file.commit();
    }
    struct stat info;
    ASSERT_EQ(lstat("link.tsv", &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(contents("target.tsv"), "new\n");

    // Standard output is a temporary file while captured; /dev/stdout names it.
    const outcome_t o = run_captured([] {
        output_file_t file("/dev/stdout");
        EXPECT_TRUE(file.writes_standard_output());
        fputs("table\n", file.stream());
        file.commit();
    });
    EXPECT_EQ(o.status, -1) << o.err;
    EXPECT_EQ(o.out, "table\n");
}

TEST(OutputFile, ReadOnlyFolderFailsAtOnce) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    ASSERT_EQ(mkdir("read_only", 0555), 0);
    const outcome_t o = run_captured([] { output_file_t file("read_only/t.tsv"); });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Error: cannot write 'read_only/t.tsv': Permission denied\n");
}

}  // namespace
