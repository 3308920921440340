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

TEST(OutputFile, NamesOfOneFileAreRecognised) {
    ASSERT_EQ(mkdir("names", 0755), 0);
    write_file("names/x", "");
    ASSERT_EQ(link("names/x", "names/hard"), 0);
    ASSERT_EQ(symlink("x", "names/soft"), 0);
    ASSERT_EQ(symlink("missing", "names/dangling1"), 0);
    ASSERT_EQ(symlink("../names/missing", "names/dangling2"), 0);
    const struct {
        const char *a, *b;
        bool same;
    } pairs[] = {
        {"names/x", "./names/x", true},
        {"names/x", "names/../names/x", true},
        {"names/x", "names/hard", true},
        {"names/x", "names/soft", true},
        {"names/missing", "./names/missing", true},       // neither exists: by path
        {"names/dangling1", "names/missing", true},       // a dangling link writes where it points
        {"names/dangling1", "names/dangling2", true},
        {"names/missing", "names/x", false},
        {"names/missing", "names/missing2", false},
        {"/dev/null", "/dev/null", false},               // a device takes any number of outputs
    };
    for (const auto &p : pairs)
        EXPECT_EQ(same_output(identify_output(p.a), identify_output(p.b)), p.same) << p.a << " and " << p.b;
    // Standard output, however named, while it is a file (captured).
    const outcome_t o = run_captured([] {
        for (const char *name : {"-", "/dev/stdout", "/proc/self/fd/1"}) {
            EXPECT_TRUE(identify_output(name).standard_output) << name;
            EXPECT_TRUE(same_output(identify_output("-"), identify_output(name))) << name;
        }
        EXPECT_FALSE(identify_output("names/x").standard_output);
    });
    EXPECT_EQ(o.status, -1) << o.err;
}

TEST(OutputFile, ASetRefusesOneFileTwiceAndWritesStandardOutputOnlyAfterEveryFile) {
    write_file("first.txt", "old first\n");
    write_file("second.txt", "old second\n");
    ASSERT_EQ(chmod("second.txt", 0640), 0);
    const outcome_t twice = run_captured([] {
        output_set_t outputs;
        outputs.add("first.txt", "--table");
        outputs.add("./first.txt", "--plot");
    });
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.err, "Error: --table and --plot name the same file './first.txt'.\n");
    const outcome_t stdout_twice = run_captured([] {
        output_set_t outputs;
        outputs.add_standard_output();
        outputs.add("/dev/stdout", "--atoms-out");
    });
    EXPECT_EQ(stdout_twice.err, "Error: standard output and --atoms-out name the same file '/dev/stdout'.\n");

    // The last file cannot be written: neither the first file nor standard output gets anything.
    const outcome_t full = run_captured([] {
        output_set_t outputs;
        outputs.add_standard_output().write("summary\n");
        outputs.add("first.txt", "--table").write("new first\n");
        outputs.add("/dev/full", "--plot").write("picture\n");
        outputs.commit();
    });
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "Error: cannot write '/dev/full': No space left on device\n");
    EXPECT_EQ(full.out, "");
    EXPECT_EQ(contents("first.txt"), "old first\n");
    EXPECT_EQ(folder_listing().find(".tmp"), std::string::npos) << folder_listing();

    const outcome_t fine = run_captured([] {
        output_set_t outputs;
        outputs.add_standard_output().write(std::string("summary\0\n", 9));
        outputs.add("first.txt", "--table").write("new first\n");
        outputs.add("second.txt", "--plot").write("new second\n");
        outputs.commit();
    });
    EXPECT_EQ(fine.status, -1) << fine.err;
    EXPECT_EQ(fine.out, std::string("summary\0\n", 9));
    EXPECT_EQ(contents("first.txt"), "new first\n");
    EXPECT_EQ(contents("second.txt"), "new second\n");
    struct stat info;
    ASSERT_EQ(stat("second.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);  // the replaced file's mode
}

}  // namespace
