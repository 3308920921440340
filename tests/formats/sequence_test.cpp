// SPDX-License-Identifier: GPL-3.0-or-later
// The sequences of real files of every format that holds one, the chains a
// shift list selects, and sequence files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "formats/format_error.h"
#include "formats/reading_summary.h"
#include "formats/sequence.h"
#include "formats_test_support.h"

namespace {

std::string data_file(const std::string &name) {
    std::ifstream file(std::string(KESTRIN_DATA_DIR) + "/" + name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::optional<sequence_t> sequence_of(const std::string &text) {
    const shift_file_t file = read_shift_file(text);
    return read_file_sequence(text, file.format, file.lists[choose_shift_list(file, std::nullopt)]);
}

std::string letters(const sequence_t &sequence) {
    std::string text;
    for (const sequence_residue_t &residue : sequence.residues)
        text += residue.amino_acid >= 0 ? "ARDNCEQGHILKMFPSTWYV"[residue.amino_acid] : '-';
    return text;
}

TEST(Sequences, EachRealFileGivesItsSequenceForTheChainsOfItsList) {
    const struct {
        std::string text;
        const char *what;
        const char *source;
        std::size_t residues;
        const char *first_chain, *first_code, *first_name, *last_code;
        const char *begins;  // one-letter codes of the first residues, '-' for no amino acid
    } cases[] = {
        // NEF: chain A only; the unassigned NmrChains (#13, @-) name no sequence chain.
        {data_file("sec5_ccpn_partially_assigned.nef"), "sec5", "_nef_sequence", 95, "A", "3", "HIS", "97",
         "HMRQPPLVTGISPNEGIPWTK"},
        // NMR-STAR 3: two entity assemblies of one entity, shifts for the first: one copy.
        {formats_data("nmrstar_bmr16368_sequence_excerpt.str"), "16368", "_Entity_comp_index", 109, "1", "1", "ACE",
         "109", "-MAGQSDRKAA"},
        // NMR-STAR 3 without _Entity_comp_index: _Entity_poly_seq.
        {formats_data("nmrstar_bmr19998_poly_seq_excerpt.str"), "19998", "_Entity_poly_seq", 36, "1", "1", "GLY",
         "36", "GACLGF"},
        // NMR-STAR 2.1: the one-letter text, numbered by the residue loop.
        {formats_data("nmrstar2_bmr15517_sequence_excerpt.str"), "15517", "_Mol_residue_sequence", 109, "", "1", "S",
         "109", "SMTDLLSAEDIKKAIGAFTA"},
        // TALOS: DATA SEQUENCE from DATA FIRST_RESID.
        {formats_data("talos_ns3_excerpt.tab"), "ns3", "DATA SEQUENCE", 185, "", "1", "A", "185", "AGVLWDVPSPPPVGK"},
        {formats_data("talos_ubiquitin_short.tab"), "ubiquitin", "DATA SEQUENCE", 76, "", "1", "M", "76", "MQIFVKTLTG"},
    };
    for (const auto &c : cases) {
        const std::optional<sequence_t> sequence = sequence_of(c.text);
        ASSERT_TRUE(sequence) << c.what;
        EXPECT_EQ(sequence->source, c.source) << c.what;
        ASSERT_EQ(sequence->residues.size(), c.residues) << c.what;
        const sequence_residue_t &first = sequence->residues.front();
        EXPECT_EQ(first.chain, c.first_chain) << c.what;
        EXPECT_EQ(first.sequence_code, c.first_code) << c.what;
        EXPECT_EQ(first.residue_name, c.first_name) << c.what;
        EXPECT_EQ(sequence->residues.back().sequence_code, c.last_code) << c.what;
        EXPECT_EQ(letters(*sequence).substr(0, std::string(c.begins).size()), c.begins) << c.what;
    }
    EXPECT_FALSE(sequence_of(formats_data("sparky_P3a_L273R_shifts_short.txt")));
    EXPECT_FALSE(sequence_of(formats_data("nef_sec5_excerpt.nef")));  // no molecular system frame
}

TEST(Sequences, ChainsNamedByTheListOrEveryChainWhenItNamesNone) {
    const std::string text = data_file("sec5_ccpn_partially_assigned.nef");
    const shift_file_t file = read_shift_file(text);
    shift_list_t unassigned;
    for (const shift_row_t &row : file.lists[0].rows)
        if (row.chain == "#13") unassigned.rows.push_back(row);
    EXPECT_EQ(read_file_sequence(text, file.format, unassigned)->residues.size(), 95u);
    // Both entity assemblies when the list names neither (rows without a chain).
    const std::string star = formats_data("nmrstar_bmr16368_sequence_excerpt.str");
    const std::optional<sequence_t> both = read_file_sequence(star, shift_format_t::nmrstar, shift_list_t{});
    ASSERT_EQ(both->residues.size(), 218u);
    EXPECT_EQ(both->residues[109].chain, "2");
    EXPECT_EQ(both->residues[109].residue_name, "ACE");
}

TEST(Sequences, SequenceFilesFastaAndOneLetterText) {
    const sequence_t fasta = read_sequence_text(">sp|P0CG48 ubiquitin\nMQIFV ktltg\n>second chain\nGS*\n");
    EXPECT_EQ(fasta.source, "FASTA");
    EXPECT_EQ(letters(fasta), "MQIFVKTLTGGS");
    const sequence_t plain = read_sequence_text("  1 MQIFVKTLTG 10\n 11 KTIXLE\n");
    EXPECT_EQ(plain.source, "one-letter text");
    EXPECT_EQ(letters(plain), "MQIFVKTLTGKTI-LE");  // X is a residue of no known type
    EXPECT_EQ(plain.residues[13].residue_name, "X");
    const struct {
        const char *text;
        long line;
    } faults[] = {{"MQIF\nVK#TL\n", 2}, {"", 0}, {">only a header\n", 0}, {"MQ-IF", 1}};
    for (const auto &f : faults) {
        try {
            read_sequence_text(f.text);
            ADD_FAILURE() << f.text;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, f.line) << f.text;
        }
    }
}

TEST(Sequences, AFaultySequenceBlockNamesItsLine) {
    const std::string talos = "DATA FIRST_RESID 5\nDATA SEQUENCE MQ1F\nVARS RESID RESNAME ATOMNAME SHIFT\n";
    try {
        read_file_sequence(talos, shift_format_t::talos, shift_list_t{});
        ADD_FAILURE();
    } catch (const format_error &error) {
        EXPECT_EQ(error.line, 2);
    }
    const std::optional<sequence_t> numbered =
        read_file_sequence("DATA FIRST_RESID -2\nDATA SEQUENCE MQ\n", shift_format_t::talos, shift_list_t{});
    EXPECT_EQ(numbered->residues[0].sequence_code, "-2");
    EXPECT_EQ(numbered->residues[1].sequence_code, "-1");
}

}  // namespace
