// SPDX-License-Identifier: GPL-3.0-or-later
// What the STAR and NEF writers write, the STAR and shift readers read back
// equal: awkward values one by one and in loops, and every real NEF list.
#include <gtest/gtest.h>

#include "formats/format_error.h"
#include "formats/nef_writer.h"
#include "formats/star.h"
#include "formats_test_support.h"

namespace {

const char *const awkward[] = {
    "abc", ".", "?", "", "it's", "a b", "it' s", "say \"hi\" now", "both ' and \" here", "#x", "_x", "$x", ";x",
    "[x", "x]", "loop_", "STOP_", "data_q", "save_", "global_", "two\nlines", "\nleading line feed", "a\tb",
    "ends with '", "'quoted'", "\"", "x;", "8.970",
};

TEST(NefWriter, EveryValueIsReadBackAsWritten) {
    std::vector<star_value_t> values;
    for (const char *text : awkward) values.push_back(star_text(text));
    values.push_back(star_null());
    values.push_back(star_null(true));
    std::string items = "data_values\n";
    std::vector<std::vector<star_value_t>> rows;
    for (std::size_t i = 0; i < values.size(); i++) {
        items += star_item_text("_v.item_" + std::to_string(i), values[i]);
        rows.push_back({values[i], star_text(std::to_string(i)), values[values.size() - 1 - i]});
    }
    items += star_loop_text({"_w.a", "_w.b", "_w.c"}, rows);
    const star_file_t file = read_star(items);
    const star_frame_t &read = file.blocks.at(0).frames.at(0);
    ASSERT_EQ(read.items.size(), values.size()) << items;
    ASSERT_EQ(read.loops.size(), 1u) << items;
    const star_loop_t &loop = read.loops[0];
    ASSERT_EQ(loop.row_count(), values.size()) << items;
    for (std::size_t i = 0; i < values.size(); i++) {
        for (const star_value_t *got : {&read.items[i].value, &loop.at(i, 0), &loop.at(values.size() - 1 - i, 2)}) {
            EXPECT_EQ(got->text, values[i].text) << "value " << i << " in\n" << items;
            EXPECT_EQ(is_star_null(*got), !values[i].quoted) << "value " << i << " in\n" << items;
        }
    }
    // A line starting with ';' inside a value has no STAR form.
    EXPECT_THROW(star_value_text(star_text("a\n;b")), format_error);
    EXPECT_THROW(star_loop_text({"_a"}, {{star_text("1"), star_text("2")}}), format_error);
}

bool same_rows(const shift_row_t &a, const shift_row_t &b) {
    return a.chain == b.chain && a.sequence_code == b.sequence_code && a.residue_name == b.residue_name &&
           a.atom_name == b.atom_name && a.value == b.value && a.element == b.element && a.isotope == b.isotope &&
           a.null_identifier == b.null_identifier;
}

TEST(NefWriter, ShiftListsRoundTrip) {
    for (const char *name : {"nef_sec5_excerpt.nef", "nef_1nk2_excerpt.nef", "nef_commented_example_shift_lists.nef",
                             "nef_ubiquitin_short_shifts.nef", "nef_2kpu_bmr16570.nef",
                             "regression_name_collisions.nef", "regression_null_sequence_codes.nef",
                             "nmrstar_bmr15000_excerpt.str", "talos_ns3_excerpt.tab"}) {
        shift_file_t file = read_shift_file(formats_data(name));
        // A list without chains is given one, which NEF needs.
        for (shift_list_t &list : file.lists)
            for (shift_row_t &row : list.rows)
                if (row.chain.empty() && !row.null_identifier) row.chain = "A";
        const std::string written = nef_shift_lists_text("round_trip", {"kestrin-tests", "1"}, file.lists);
        const shift_file_t back = read_shift_file(written);
        EXPECT_EQ(back.format, shift_format_t::nef) << name;
        ASSERT_EQ(back.lists.size(), file.lists.size()) << name;
        for (std::size_t l = 0; l < file.lists.size(); l++) {
            const std::vector<shift_row_t> &rows = file.lists[l].rows, &again = back.lists[l].rows;
            ASSERT_EQ(again.size(), rows.size()) << name;
            for (std::size_t r = 0; r < rows.size(); r++)
                EXPECT_TRUE(same_rows(again[r], rows[r]))
                    << name << ", list " << l << ", row " << r << ": " << rows[r].chain << " " << rows[r].sequence_code
                    << " " << rows[r].residue_name << " " << rows[r].atom_name << " " << rows[r].value << " read back as "
                    << again[r].chain << " " << again[r].sequence_code << " " << again[r].residue_name << " "
                    << again[r].atom_name << " " << again[r].value;
        }
    }
    EXPECT_THROW(nef_shift_lists_text("two words", {"p", "1"}, {}), format_error);
}

}  // namespace
