// SPDX-License-Identifier: GPL-3.0-or-later
// The five readers on real files: the format each content shows, the rows
// they give, and the faults of tables that are not whole.
#include <gtest/gtest.h>

#include "formats/format_error.h"
#include "formats/shift_table.h"
#include "formats_test_support.h"

namespace {

TEST(ShiftTables, EachRealFileIsRecognisedAndRead) {
    const struct {
        const char *file;
        shift_format_t format;
        std::size_t lists, rows_of_first;
    } cases[] = {
        {"nef_sec5_excerpt.nef", shift_format_t::nef, 1, 44},
        {"nef_1nk2_excerpt.nef", shift_format_t::nef, 3, 8},
        {"nef_commented_example_shift_lists.nef", shift_format_t::nef, 2, 93},
        {"nef_ubiquitin_short_shifts.nef", shift_format_t::nef, 1, 21},
        {"nef_2kpu_bmr16570.nef", shift_format_t::nef, 1, 1041},
        {"nmrstar_bmr16570.str", shift_format_t::nmrstar, 1, 1165},
        {"nmrstar_bmr15000_excerpt.str", shift_format_t::nmrstar, 1, 86},
        {"nmrstar2_bmr15517_excerpt.str", shift_format_t::nmrstar2, 1, 53},
        {"talos_ns3_excerpt.tab", shift_format_t::talos, 1, 39},
        {"talos_ubiquitin_short.tab", shift_format_t::talos, 1, 10},
        {"sparky_P3a_L273R_shifts_short.txt", shift_format_t::sparky, 1, 28},
    };
    for (const auto &c : cases) {
        const shift_file_t file = read_shift_file(formats_data(c.file));
        EXPECT_EQ(file.format, c.format) << c.file;
        ASSERT_EQ(file.lists.size(), c.lists) << c.file;
        EXPECT_EQ(file.lists[0].rows.size(), c.rows_of_first) << c.file;
    }
}

TEST(ShiftTables, RowsKeepIdentifiersAndValuesAsWritten) {
    const shift_file_t nef = read_shift_file(formats_data("nef_sec5_excerpt.nef"));
    const shift_row_t &first = nef.lists[0].rows[0];
    EXPECT_EQ(nef.lists[0].name, "nef_chemical_shift_list_default");
    EXPECT_EQ(first.chain, "#13");
    EXPECT_EQ(first.sequence_code, "@13-1");
    EXPECT_EQ(first.residue_name, ".");
    EXPECT_EQ(first.value, "60.8819914");
    EXPECT_EQ(first.element, "C");
    EXPECT_EQ(first.isotope, "13");
    EXPECT_EQ(first.line, 18);

    const shift_file_t star3 = read_shift_file(formats_data("nmrstar_bmr15000_excerpt.str"));
    const shift_row_t &row = star3.lists[0].rows[0];
    EXPECT_EQ(row.chain + " " + row.sequence_code + " " + row.residue_name + " " + row.atom_name + " " + row.value +
                  " " + row.element + " " + row.isotope,
              "1 2 SER H 9.3070 H 1");

    const shift_file_t star2 = read_shift_file(formats_data("nmrstar2_bmr15517_excerpt.str"));
    EXPECT_EQ(star2.lists[0].name, "assigned_chem_shift_list_1");  // not the reference loop
    const shift_row_t &old = star2.lists[0].rows[1];
    EXPECT_EQ(old.chain + "|" + old.sequence_code + " " + old.residue_name + " " + old.atom_name + " " + old.value + " " +
                  old.element,
              "|2 MET HA 4.430 H");

    const shift_file_t sparky = read_shift_file(formats_data("sparky_P3a_L273R_shifts_short.txt"));
    const shift_row_t &resonance = sparky.lists[0].rows[0];
    EXPECT_EQ(resonance.residue_name + " " + resonance.sequence_code + " " + resonance.atom_name + " " +
                  resonance.element + " " + resonance.isotope + " " + resonance.value,
              "P 236 C C 13 176.443");

    const shift_file_t talos = read_shift_file(formats_data("talos_ubiquitin_short.tab"));
    const shift_row_t &entry = talos.lists[0].rows[2];
    EXPECT_EQ(entry.sequence_code + " " + entry.residue_name + " " + entry.atom_name + " " + entry.value, "1 M C 170.540");
}

TEST(ShiftTables, AFormatCanBeForcedAndAWrongOneFails) {
    const std::string sparky_without_header = "A12 CA 13C 52.4\nA12 HN 1H 8.1\n";
    EXPECT_EQ(read_shift_file(sparky_without_header).format, shift_format_t::sparky);
    EXPECT_EQ(read_shift_file(sparky_without_header, shift_format_t::sparky).lists[0].rows.size(), 2u);
    EXPECT_THROW(read_shift_file(formats_data("nmrstar_bmr15000_excerpt.str"), shift_format_t::nef), format_error);
    EXPECT_THROW(read_shift_file(formats_data("nef_sec5_excerpt.nef"), shift_format_t::talos), format_error);
}

TEST(ShiftTables, FaultsNameTheirLine) {
    const struct {
        std::string text;
        long line;
        const char *message;
        std::optional<shift_format_t> format = std::nullopt;
    } cases[] = {
        {"just some words\n", 0,
         "not a file of a known format (NEF, NMR-STAR 3 or 2.1, Sparky resonance list, NMRPipe/TALOS table)"},
        {"", 0, "not a file of a known format (NEF, NMR-STAR 3 or 2.1, Sparky resonance list, NMRPipe/TALOS table)"},
        {"data_x\nsave_a\n_nef_nmr_meta_data.format_name nmr_exchange_format\nsave_\n", 0,
         "no chemical shift list in this NEF file (no _nef_chemical_shift loop)"},
        {"data_x\nsave_a\nloop_\n_nef_chemical_shift.chain_code\n_nef_chemical_shift.sequence_code\n"
         "_nef_chemical_shift.atom_name\n_nef_chemical_shift.value\nA 1 H 8.0\nstop_\nsave_\n",
         3, "the shift loop has no column _nef_chemical_shift.residue_name"},
        {"VARS RESID RESNAME ATOMNAME\n1 A CA\n", 1, "the VARS line has no SHIFT column"},
        {"REMARK x\n1 A CA 52.0\n", 2, "a table row before the VARS line", shift_format_t::talos},
        {"REMARK x\n", 0, "no VARS line naming the table's columns", shift_format_t::talos},
        {"VARS RESID RESNAME ATOMNAME SHIFT\n1 A CA\n", 2, "3 words where the VARS line needs 4"},
        {"VARS RESID RESNAME ATOMNAME SHIFT\nVARS RESID\n", 2, "a second VARS line"},
        {"Group Atom Nuc Shift SDev\nA12 CA 13C\n", 2, "3 words where a resonance (Group Atom Nuc Shift) needs 4"},
        {"Group Atom Shift\nA12 CA 52.0\n", 1, "the header line has no Nuc column", shift_format_t::sparky},
    };
    for (const auto &c : cases) {
        try {
            read_shift_file(c.text, c.format);
            ADD_FAILURE() << "no error for:\n" << c.text;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, c.line) << c.text;
            EXPECT_STREQ(error.what(), c.message) << c.text;
        }
    }
}

}  // namespace
