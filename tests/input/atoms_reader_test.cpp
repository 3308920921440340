// SPDX-License-Identifier: GPL-3.0-or-later
// Atom selection file: types, atom positions, duplicates and rejected files.
#include <gtest/gtest.h>

#include "input/readers.h"
#include "input/residue_table.h"
#include "test_support.h"

namespace {

outcome_t read_selection(const std::string &atoms, data_t &data, const char *name = "atoms.txt") {
    write_file(name, atoms);
    parameters_t params;
    params.input_atoms_fname = name;
    return run_captured([&] { read_cs_to_analyse(params, data); });
}

int value_of(const std::string &key) {
    const int *value = find_residue_key(key);
    return value == nullptr ? -99 : *value;
}

TEST(AtomSelection, TypesOpenInFileOrderAndAtomsAreNumberedWithin) {
    data_t data;
    const outcome_t o = read_selection("# Amino Atom Type\n\nALA HA H\nALA   CB\tC extra tokens\nGLY HA2 H\n", data);
    ASSERT_EQ(o.status, -1) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(data.type_num, 2);
    EXPECT_EQ(data.key_num, 3);
    ASSERT_EQ(data.sdata.size(), 2u);
    EXPECT_EQ(data.sdata[0].atom_num, 2);
    EXPECT_EQ(data.sdata[1].atom_num, 1);
    EXPECT_EQ(data.cs_keys[1], "ALA CB C");
    EXPECT_EQ(data.res_num, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(data.cs_num, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(value_of("ALA"), 0);
    EXPECT_EQ(value_of("GLY"), 1);
    EXPECT_EQ(value_of("ARG"), -2);
    EXPECT_EQ(value_of("ALA CB C"), 1);
    EXPECT_EQ(value_of("GLY HA2 H"), 0);
}

TEST(AtomSelection, RepeatedLineIsSkippedWithAWarning) {
    data_t data;
    const outcome_t o = read_selection("ALA HA H\nALA  HA  H\n", data);
    EXPECT_EQ(o.status, -1);
    EXPECT_EQ(o.err,
              "Warning: the number of different entries (1) is not the same as the number of input types (2) in "
              "file 'atoms.txt'\n");
    EXPECT_EQ(data.key_num, 1);
    EXPECT_EQ(data.sdata[0].atom_num, 1);
}

TEST(AtomSelection, RepeatedLineBetweenRunsOpensNothing) {
    data_t data;
    const outcome_t o = read_selection("ALA HA H\nGLY HA2 H\nALA HA H\nGLY HA3 H\n", data);
    EXPECT_EQ(o.status, -1) << o.err;
    EXPECT_EQ(data.type_num, 2);
    EXPECT_EQ(data.sdata[1].atom_num, 2);
    EXPECT_EQ(value_of("GLY HA3 H"), 1);
}

TEST(AtomSelection, SameNameWithTwoAtomTypesMakesTwoEntries) {
    data_t data;
    ASSERT_EQ(read_selection("ALA X H\nALA X C\n", data).status, -1);
    EXPECT_EQ(data.sdata[0].atom_num, 2);
}

TEST(AtomSelection, ShortLinesAreIgnoredAndLongTokensKeptWhole) {
    data_t data;
    const std::string long_name(300, 'Q');
    ASSERT_EQ(read_selection("ALA HA\n   \nALA " + long_name + " H\n", data).status, -1);
    EXPECT_EQ(data.key_num, 1);
    EXPECT_EQ(data.cs_keys[0], "ALA " + long_name + " H");
}

TEST(AtomSelection, FileWithoutValidLineIsRejected) {
    for (const char *text : {"", "# only a comment\n\n", "ALA HA\n"}) {
        data_t data;
        const outcome_t o = read_selection(text, data);
        EXPECT_EQ(o.status, 1) << text;
        EXPECT_EQ(o.err, "Error: there is no atom types to analyse in file 'atoms.txt'.\n");
    }
}

TEST(AtomSelection, UnknownCodesAreRejected) {
    const struct {
        const char *text, *code;
    } cases[] = {{"ALA HA H\nala CB C\n", "ala"}, {"ALA HA H\n # comment after a blank\n", "#"}, {"UNK H H\n", "UNK"}};
    for (const auto &c : cases) {
        data_t data;
        const outcome_t o = read_selection(c.text, data);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "Error: unknown residue '" + std::string(c.code) + "' in file 'atoms.txt'.\n");
    }
}

TEST(AtomSelection, CodeInTwoRunsIsRejected) {
    data_t data;
    const outcome_t o = read_selection("ALA HA H\nGLY HA2 H\nALA CB C\n", data);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Error: residue 'ALA' appears in more than one block in file 'atoms.txt'.\n");
}

TEST(AtomSelection, MissingFileIsReportedWithItsName) {
    data_t data;
    parameters_t params;
    outcome_t o = run_captured([&] { read_cs_to_analyse(params, data); });
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(" in read_cs_to_analyse\nUnable to open file '(null)'\n"), std::string::npos) << o.err;
    params.input_atoms_fname = "no/such/file";
    o = run_captured([&] { read_cs_to_analyse(params, data); });
    EXPECT_EQ(o.err.rfind("kestrin: at line ", 0), 0u);
    EXPECT_NE(o.err.find("Unable to open file 'no/such/file'\n"), std::string::npos);
}

}  // namespace
