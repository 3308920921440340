// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics file: selected atoms' statistics and covariances, and every
// way a file is rejected.
#include <gtest/gtest.h>

#include "input/readers.h"
#include "test_support.h"

namespace {

const char *const header = "# statistics\n# res atom type n min max mean sd n miss\n";

// ALA's lines in the order H, HA, CA, CB, C and its 5 × 5 block, whose
// element (r, c) is 10 × (r + 1) + (c + 1).
const std::string ala_stats = std::string(header) +
                              "ALA H H 506 6.1 10.2 8.26 0.69 528 4.34\n"
                              "ALA HA H 368 2.4 5.8 4.32 0.50 528 30.38\n"
                              "ALA CA C 510 48.3 56.6 53.05 1.94 528 3.58\n"
                              "ALA CB C 440 15.1 26.4 19.52 2.03 528 16.79\n"
                              "ALA C C 404 172.2 182.3 177.81 2.01 528 23.58\n";
const std::string ala_block = "<cov res=\"ALA\" dim=\"5\">\n"
                              "11 12 13 14 15\n"
                              "21 22 23 24 25\n"
                              "31 32 33 34 35\n"
                              "41 42 43 44 45\n"
                              "51 52 53 54 55\n"
                              "</cov>\n";

TEST(Statistics, SelectedRowsAndColumnsOfTheBlockAreKept) {
    data_t data;
    const outcome_t o = read_selection_and_stats("ALA HA H\nALA CB C\n", ala_stats + ala_block, data);
    ASSERT_EQ(o.status, -1) << o.err;
    EXPECT_EQ(o.out + o.err, "");
    const stat_data_t &ala = data.sdata[0];
    EXPECT_EQ(ala.H_num, 1);
    EXPECT_EQ(ala.C_num, 1);
    EXPECT_EQ(ala.N_num, 0);
    EXPECT_EQ(ala.mean, (std::vector<double>{4.32, 19.52}));
    EXPECT_EQ(ala.std_dev, (std::vector<double>{0.50, 2.03}));
    EXPECT_DOUBLE_EQ(ala.miss[0], 0.3038);
    EXPECT_DOUBLE_EQ(ala.miss[1], 0.1679);
    EXPECT_EQ(ala.atom_type, (std::vector<char>{'H', 'C'}));
    EXPECT_EQ(ala.cov[0][0], 22);
    EXPECT_EQ(ala.cov[0][1], 24);
    EXPECT_EQ(ala.cov[1][0], 42);
    EXPECT_EQ(ala.cov[1][1], 44);
}

TEST(Statistics, WhatTheFileDoesNotProvideIsZero) {
    data_t data;
    // Only headers: no statistics and no covariances.
    ASSERT_EQ(read_selection_and_stats("ALA HA H\nALA N N\n", header, data).status, -1);
    const stat_data_t &ala = data.sdata[0];
    EXPECT_EQ(ala.H_num + ala.C_num + ala.N_num, 0);
    EXPECT_EQ(ala.mean, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(ala.cov.block, (std::vector<double>(4, 0.0)));
}

TEST(Statistics, BlankLineInABlockTakesARowAndLateLinesAreIgnored) {
    data_t data;
    const std::string block = "<cov res=\"ALA\" dim=\"5\">\n"
                              "11 12 13 14 15\n"
                              "\n"
                              "31 32 33 34 35\n"
                              "41 42 43 44 45\n"
                              "</cov>\n"
                              "ALA N N 1 1 1 1 1 1 1\n";
    ASSERT_EQ(read_selection_and_stats("ALA H H\nALA CB C\nALA N N\n", ala_stats + block, data).status, -1);
    const stat_data_t &ala = data.sdata[0];
    // Row 3 of the block is CB's, shifted by the blank row; N has no line before the block.
    EXPECT_EQ(ala.cov[0][0], 11);
    EXPECT_EQ(ala.cov[0][1], 14);
    EXPECT_EQ(ala.cov[1][1], 44);
    EXPECT_EQ(ala.N_num, 0);
}

TEST(Statistics, NumbersFollowCPrefixRules) {
    data_t data;
    const std::string stats = std::string(header) + "ALA H HX 3x 1 2 8.12ppm 0.5 9 4.0\n" +
                              "<cov res=\"ALA\" dim=\"1\">\nabc\n</cov>\n";
    ASSERT_EQ(read_selection_and_stats("ALA H HX\n", stats, data).status, -1);
    EXPECT_EQ(data.sdata[0].H_num, 1);
    EXPECT_EQ(data.sdata[0].mean[0], 8.12);
    EXPECT_EQ(data.sdata[0].cov[0][0], 0.0);
}

TEST(Statistics, ShortLinesAreSkippedButCountForLineNumbers) {
    data_t data;
    const std::string stats = std::string(header) + "ALA H H 1 2 3 4 5 6\n" + "ALA H H x 2 3 4 5 6 7\n" +
                              "XXX H H 1 2 3 4 5 6 7\n";
    const outcome_t o = read_selection_and_stats("ALA H H\n", stats, data);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Error: unknown amino acid (XXX) in stat file 'stats.txt' line 5\nXXX H H 1 2 3 4 5 6 7\n");
}

struct rejected_t {
    const char *atoms;
    std::string stats;
    std::string message;
};

TEST(Statistics, MalformedOrInconsistentFilesAreRejected) {
    const std::string ala_h = std::string(header) + "ALA H H 1 2 3 8.2 0.6 5 4.3\n";
    const rejected_t cases[] = {
        {"ALA H H\n", "one line only\n", "Error: unexpected End-Of-File in 'stats.txt'\n"},
        {"ALA H H\n", "", "Error: unexpected End-Of-File in 'stats.txt'\n"},
        {"ALA H H\n", ala_h + "GLY HA2 H 1 2 3 4 5 6 7\n",
         "Error: amino acid 'GLY' in stat file 'stats.txt' has not been selected in 'atoms.txt' file.\n"},
        {"ALA H H\n", ala_h + "<cov res=\"GLY\" dim=\"1\">\n1\n</cov>\n",
         "Error: amino acid 'GLY' in stat file 'stats.txt' has not been selected in 'atoms.txt' file.\n"},
        {"ALA H H\n", ala_h + "<cov res=\"UNK\" dim=\"1\">\n",
         "Error: unknown amino acid (UNK) in stat file 'stats.txt' while reading covariances\n<cov res=\"UNK\" "
         "dim=\"1\">\n"},
        {"ALA H Q\n", std::string(header) + "ALA H Q 1 2 3 4 5 6 7\n",
         "Error: unknown atom type 'Q' (should be H, C or N) in file 'stats.txt'.\n"},
        {"ALA H H\n", ala_h + "<cov res=\"ALA\" dim=\"1\">\n",
         "Error: unexpected End-Of-File in 'stats.txt'\n"},
        {"ALA H H\n", ala_h + "<cov res=\"ALA\" dim=\"1\">\n0.4\n",
         "Error: unexpected End-Of-File in 'stats.txt'\n"},
        {"ALA H H\n", ala_h + "<cov dim=\"1\">\n",
         "Error: malformed covariance header in stat file 'stats.txt' line 4\n<cov dim=\"1\">\n"},
        {"ALA H H\n", ala_h + "<cov res=\"UNK\">\n",
         "Error: malformed covariance header in stat file 'stats.txt' line 4\n<cov res=\"UNK\">\n"},
        {"ALA H H\n", ala_h + "<cov res=\"ALA\" dim=\"0\">\n",
         "Error: malformed covariance header in stat file 'stats.txt' line 4\n<cov res=\"ALA\" dim=\"0\">\n"},
        {"ALA H H\n", ala_h + "<cov res=\"ALA\" dim=\"six\">",
         "Error: malformed covariance header in stat file 'stats.txt' line 4\n<cov res=\"ALA\" dim=\"six\">\n"},
        {"ALA H H\n", ala_h + "<cov res=\"ALA\" dim=\"2\">\n0.4\n",
         "Error: covariance row 1 of 'ALA' in stat file 'stats.txt' has fewer than 2 values\n"},
        {"ALA H H\n", ala_h + "<cov res=\"ALA\" dim=\"4294967302\">\n0.4\n",
         "Error: covariance row 1 of 'ALA' in stat file 'stats.txt' has fewer than 4294967302 values\n"},
        {"ALA HA H\n", ala_stats + "<cov res=\"ALA\" dim=\"1\">\n",
         "Error: covariance block of 'ALA' in stat file 'stats.txt' has dimension 1, too small for its statistics "
         "lines\n"},
        {"ALA H H\n", ala_h + "ALA H H 1 2 3 8.3 0.6 5 4.3\n",
         "Error: atom 'H H' of 'ALA' is described twice in stat file 'stats.txt' line 4\nALA H H 1 2 3 8.3 0.6 5 "
         "4.3\n"},
        {"ALA H H\nGLY H H\n", ala_h + "GLY H H 1 2 3 4 5 6 7\nALA HA H 1 2 3 4 5 6 7\n",
         "Error: amino acid 'ALA' appears in more than one block in stat file 'stats.txt' line 5\n"},
        // An echoed line without a line feed of its own (the file's last line,
        // or a line cut at a NUL byte) still ends the message with one, except
        // in the unknown-amino-acid messages, which repeat the line as read.
        {"ALA H H\n", std::string(header) + "XXX H H 1 2 3 4 5 6 7",
         "Error: unknown amino acid (XXX) in stat file 'stats.txt' line 3\nXXX H H 1 2 3 4 5 6 7"},
        {"ALA H H\n", ala_h + "ALA H H 1 2 3 8.3 0.6 5 4.3",
         "Error: atom 'H H' of 'ALA' is described twice in stat file 'stats.txt' line 4\nALA H H 1 2 3 8.3 0.6 5 "
         "4.3\n"},
        {"ALA H H\n", ala_h + "<cov res=\"UNK\" dim=\"1\">",
         "Error: unknown amino acid (UNK) in stat file 'stats.txt' while reading covariances\n<cov res=\"UNK\" "
         "dim=\"1\">"},
        {"ALA H H\n", ala_h + std::string("<cov res=\"AL\0A\" dim=\"1\">\n1\n</cov>\n", 34),
         "Error: malformed covariance header in stat file 'stats.txt' line 4\n<cov res=\"AL\n"},
    };
    for (const rejected_t &c : cases) {
        data_t data;
        const outcome_t o = read_selection_and_stats(c.atoms, c.stats, data);
        EXPECT_EQ(o.status, 1) << c.stats;
        EXPECT_EQ(o.err, c.message) << c.stats;
    }
}

TEST(Statistics, MissingFileIsReportedWithItsName) {
    data_t data;
    write_file("atoms.txt", "ALA H H\n");
    parameters_t params;
    params.input_atoms_fname = "atoms.txt";
    const outcome_t o = run_captured([&] {
        read_cs_to_analyse(params, data);
        read_stats(params, data);
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(" in read_stats\nUnable to open file '(null)'\n"), std::string::npos) << o.err;
}

}  // namespace
