// SPDX-License-Identifier: GPL-3.0-or-later
// STAR syntax: values in all their forms, structure, and every syntax fault
// with its line.
#include <gtest/gtest.h>

#include "formats/format_error.h"
#include "formats/star.h"
#include "formats_test_support.h"

namespace {

TEST(StarReader, ValuesInEveryFormKeepTheirLines) {
    const star_file_t file = read_star("# heading comment\n"
                                       "data_entry\n"
                                       "save_list_1\n"
                                       "   _Frame.Label   $sample_conditions_1   # a framecode reference\n"
                                       "   _Frame.Title   'it's quoted'\n"
                                       "   _Frame.Text\n"
                                       ";\nfirst line\n 'second' line\n;\n"
                                       "   loop_\n"
                                       "      _Row.A _Row.B\n"
                                       "      .  \"a b\"\n"
                                       "      HB# ?\n"
                                       "   stop_\n"
                                       "save_\n");
    ASSERT_EQ(file.blocks.size(), 1u);
    EXPECT_EQ(file.blocks[0].name, "entry");
    ASSERT_EQ(file.blocks[0].frames.size(), 2u);  // the block's own part, then the save frame
    const star_frame_t &frame = file.blocks[0].frames[1];
    EXPECT_EQ(frame.name, "list_1");
    EXPECT_EQ(frame.line, 3);
    ASSERT_EQ(frame.items.size(), 3u);
    EXPECT_EQ(frame.items[0].value.text, "$sample_conditions_1");
    EXPECT_EQ(frame.items[1].value.text, "it's quoted");
    EXPECT_EQ(frame.items[2].value.text, "\nfirst line\n 'second' line");
    EXPECT_EQ(frame.items[2].value.line, 7);
    ASSERT_EQ(frame.loops.size(), 1u);
    const star_loop_t &loop = frame.loops[0];
    EXPECT_EQ(loop.row_count(), 2u);
    EXPECT_EQ(loop.column("_row.b"), 1);
    EXPECT_EQ(loop.column("_Row.C"), -1);
    EXPECT_TRUE(is_star_null(loop.at(0, 0)));
    EXPECT_EQ(loop.at(0, 1).text, "a b");
    EXPECT_FALSE(is_star_null(loop.at(0, 1)));
    EXPECT_EQ(loop.at(1, 0).text, "HB#");
    EXPECT_EQ(loop.at(1, 0).line, 14);
    EXPECT_TRUE(is_star_null(loop.at(1, 1)));
}

TEST(StarReader, QuotedDotIsAValueAndCarriageReturnsAreBlanks) {
    const star_file_t file = read_star("\xEF\xBB\xBF" "data_x\r\n_a.b '.'\r\nloop_\r\n_c.d\r\n1\r\n2\r\n");
    const star_frame_t &own = file.blocks[0].frames[0];
    EXPECT_FALSE(is_star_null(own.items[0].value));
    ASSERT_EQ(own.loops.size(), 1u);  // ended by the end of the text, as in CIF
    EXPECT_EQ(own.loops[0].row_count(), 2u);
    EXPECT_EQ(own.loops[0].at(1, 0).line, 6);
}

// NMR-STAR 2.1 nests a loop in its ambiguous-assignment frame: each outer
// row (an ambiguity set) is followed by its inner rows and a stop_. The
// outer rows are kept; the frames around it read as usual.
TEST(StarReader, NestedLoopsKeepTheirOuterRows) {
    const star_file_t file = read_star(formats_data("nmrstar2_bmr4327_nested_loop_excerpt.str"));
    const std::vector<star_frame_t> &frames = file.blocks.at(0).frames;
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].name, "human_N-TIMP-1_free");
    ASSERT_EQ(frames[1].loops.size(), 2u);
    EXPECT_EQ(frames[1].loops[1].row_count(), 9u);
    const star_frame_t &ambiguous = frames[2];
    ASSERT_EQ(ambiguous.loops.size(), 1u);
    const star_loop_t &loop = ambiguous.loops[0];
    ASSERT_EQ(loop.tags.size(), 1u);
    EXPECT_EQ(loop.tags[0], "_Chemical_shift_ambiguity_ID");
    ASSERT_EQ(loop.row_count(), 2u);
    EXPECT_EQ(loop.at(0, 0).text, "1");
    EXPECT_EQ(loop.at(1, 0).text, "2");
    EXPECT_EQ(loop.at(1, 0).line, 65);

    // Three levels, the middle one with two columns, and a flat loop after.
    const star_file_t deep = read_star("data_x\nloop_ _a loop_ _b _c loop_ _d\n"
                                       "1 2 3 4 5 stop_ 6 7 stop_ stop_\n"
                                       "8 stop_\n"
                                       "stop_\nloop_ _e\n9\n");
    const star_frame_t &own = deep.blocks.at(0).frames.at(0);
    ASSERT_EQ(own.loops.size(), 2u);
    ASSERT_EQ(own.loops[0].row_count(), 2u);
    EXPECT_EQ(own.loops[0].at(1, 0).text, "8");
    EXPECT_EQ(own.loops[1].at(0, 0).text, "9");
}

TEST(StarReader, LooksLikeStarOnlyWithADataHeadingFirst) {
    EXPECT_TRUE(looks_like_star("# comment\n\n  DATA_x\n"));
    EXPECT_FALSE(looks_like_star("VARS RESID\ndata_x\n"));
    EXPECT_FALSE(looks_like_star(""));
}

TEST(StarReader, SyntaxFaultsNameTheirLine) {
    const struct {
        const char *text;
        long line;
        const char *message;
    } cases[] = {
        {"data_x\n_a.b 'open\n", 2, "the value opened by ' is not closed on its line"},
        {"data_x\n_a.b\n;\nnever closed\n", 3, "the text field opened here (a line starting with ';') is never closed"},
        {"data_x\n_a.b\n_a.c 1\n", 2, "the tag _a.b has no value"},
        {"data_x\nloop_\n_a.b\n_a.c\n1 2 3\nstop_\n", 2,
         "the loop of 2 columns holds 3 values, which is not a whole number of rows"},
        {"data_x\nloop_\nstop_\n", 2, "loop_ without tags"},
        {"data_x\nloop_\n_a\nloop_\n_b\n_c\n1 2 3\n", 7, "the inner rows of the nested loop opened at line 2 are not ended by stop_"},
        {"data_x\nloop_\n_a\n_b\nloop_\n_c\n1 2 3 stop_ 4\n", 7,
         "a row of the nested loop opened at line 2 has fewer than its 2 values"},
        {"data_x\nloop_\n_a\nloop_\n_b\nloop_\n_c\nloop_\n_d\nloop_\n_e\nloop_\n_f\nloop_\n_g\nloop_\n_h\nloop_\n_i\n",
         18, "loops nested more than 8 deep"},
        {"data_x\nstop_\n", 2, "stop_ without a loop_ to end"},
        {"data_x\nsave_\n", 2, "save_ closes no save frame"},
        {"data_x\nsave_a\nsave_b\n", 3, "save_b inside the save frame 'a', which is not closed by save_"},
        {"data_x\nsave_a\n_a.b 1\n", 2, "the save frame 'a' opened here is not closed by save_"},
        {"data_x\nsave_a\ndata_y\n", 3, "data_ inside the save frame 'a', which is not closed by save_"},
        {"data_x\n_a.b 1 2\n", 2, "the value '2' has no tag"},
        {"_a.b 1\n", 1, "text before the first data_ heading"},
        {"data_x\nglobal_\n", 2, "global_ blocks are not read"},
        {"# nothing\n", 0, "no data_ heading"},
    };
    for (const auto &c : cases) {
        try {
            read_star(c.text);
            ADD_FAILURE() << "no error for:\n" << c.text;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, c.line) << c.text;
            EXPECT_STREQ(error.what(), c.message) << c.text;
        }
    }
}

TEST(StarReader, MessagesNameTheFileAndLineOnOneLine) {
    EXPECT_EQ(format_error_message("shifts.nef", format_error(812, "the shift 'x' is not a number")),
              "Error: shifts.nef, line 812: the shift 'x' is not a number\n");
    EXPECT_EQ(format_error_message("a\nb", format_error(0, "cannot read")), "Error: a?b: cannot read\n");
}

// What the reader made of a text, one word per piece: "data:x", "frame:f",
// "_tag=v" for an item, "loop:_a,_b" and its values, a bare value as
// written, a quoted value or text field in brackets.
std::string parsed(const std::string &text) {
    auto shown = [](const star_value_t &v) { return v.quoted ? "[" + v.text + "]" : v.text; };
    std::string out;
    for (const star_block_t &block : read_star(text).blocks) {
        out += "data:" + block.name;
        for (const star_frame_t &frame : block.frames) {
            if (!frame.name.empty()) out += " frame:" + frame.name;
            for (const star_item_t &item : frame.items) out += " " + item.tag + "=" + shown(item.value);
            for (const star_loop_t &loop : frame.loops) {
                out += " loop:";
                for (std::size_t i = 0; i < loop.tags.size(); i++) out += (i ? "," : "") + loop.tags[i];
                for (const star_value_t &value : loop.values) out += " " + shown(value);
            }
        }
        out += " ";
    }
    return out;
}

// The grammar's corners, each with what it must give, or the fault it is.
TEST(StarReader, TheGrammarCorpus) {
    const struct {
        const char *text;
        const char *tokens;  // parsed(text), or the error "LINE: MESSAGE"
    } corpus[] = {
        // ';' opens a text field only at the start of a line.
        {"data_x\n_a.b ;x\n", "data:x _a.b=;x "},
        {"data_x\n_a.b\n ;x\n", "data:x _a.b=;x "},
        {"data_x\n_a.b x;y\n", "data:x _a.b=x;y "},
        {"data_x\n_a.b\n;one ; two\n'three'\n;\n", "data:x _a.b=[one ; two\n'three'] "},
        {"data_x\n_a.b\n;t\n; _c.d 1\n", "data:x _a.b=[t] _c.d=1 "},
        {"data_x\n_a.b\n;\n;\n", "data:x _a.b=[] "},
        // '#' starts a comment only where a word would start.
        {"data_x\n_a.b 'x' #c\n", "data:x _a.b=[x] "},
        {"data_x\n_a.b 'x'#c\n", "2: the value opened by ' is not closed on its line"},
        {"data_x\n_a.b x#y # z\n", "data:x _a.b=x#y "},
        {"data_x\n_a.b 'a #b'\n", "data:x _a.b=[a #b] "},
        // A quote closes a value only before a blank or the end.
        {"data_x\n_a.b 'it's'\n", "data:x _a.b=[it's] "},
        {"data_x\n_a.b \"say \"hi\"\"\n", "data:x _a.b=[say \"hi\"] "},
        {"data_x\n_a.b 'a''\n", "data:x _a.b=[a'] "},
        {"data_x\n_a.b \"a' b\"\n", "data:x _a.b=[a' b] "},
        {"data_x\n_a.b it's\n", "data:x _a.b=it's "},
        {"data_x\n_a.b 'x'", "data:x _a.b=[x] "},
        {"data_x\n_a.b ''\n", "data:x _a.b=[] "},
        // Nulls, framecodes, keywords as values.
        {"data_x\nloop_\n_a.b\n_a.c\n. '.'\n? $frame_1\n", "data:x loop:_a.b,_a.c . [.] ? $frame_1 "},
        {"data_x\n_a.b 'loop_'\n_a.c \"data_y\"\n", "data:x _a.b=[loop_] _a.c=[data_y] "},
        {"data_x\n_a.b loop_x\n", "data:x _a.b=loop_x "},
        // Nested loops: the outer rows are kept.
        {"data_x\nloop_\n_a\nloop_\n_b\n1 2 3 stop_\n4 5 stop_\nstop_\n", "data:x loop:_a 1 4 "},
        // Save frames within data blocks, keywords in any case.
        {"DATA_x\nSave_f\nLOOP_\n_a\n1\nSTOP_\nSAVE_\n", "data:x frame:f loop:_a 1 "},
        {"data_x\nsave_a\n_a.b 1\nsave_\n_c.d 2\ndata_y\nsave_b\n_a.b 3\nsave_\n",
         "data:x _c.d=2 frame:a _a.b=1 data:y frame:b _a.b=3 "},
        {"save_a\n_a.b 1\nsave_\n", "1: text before the first data_ heading"},
        {"data_x\nsave_a\nloop_\n_a\n1\nsave_\n", "data:x frame:a loop:_a 1 "},
        // A tag names one item of its frame; the same tag in another frame is another item.
        {"data_x\n_a.b 1\n_A.b 2\n", "3: the tag _A.b is given twice in this data block (first on line 2)"},
        {"data_x\nsave_f\n_a.b 1\n_a.b 2\nsave_\n", "4: the tag _a.b is given twice in this save frame (first on line 3)"},
        {"data_x\n_a.b 1\nsave_f\n_a.b 2\nsave_\nsave_g\n_a.b 3\nsave_\ndata_y\n_a.b 4\n",
         "data:x _a.b=1 frame:f _a.b=2 frame:g _a.b=3 data:y _a.b=4 "},
    };
    for (const auto &c : corpus) {
        std::string got;
        try {
            got = parsed(c.text);
        } catch (const format_error &error) {
            got = std::to_string(error.line) + ": " + error.what();
        }
        EXPECT_EQ(got, c.tokens) << c.text;
    }
    // A loop that repeats a column is read, but the column cannot be asked for.
    const star_file_t repeated = read_star("data_x\nloop_\n_a.b\n_a.c\n_A.B\n1 2 3\nstop_\n");
    const star_loop_t &loop = repeated.blocks[0].frames[0].loops[0];
    EXPECT_EQ(loop.column("_a.c"), 1);
    try {
        loop.column("_a.b");
        ADD_FAILURE() << "a repeated column was given";
    } catch (const format_error &error) {
        EXPECT_EQ(error.line, 2);
        EXPECT_STREQ(error.what(), "the loop opened here has the column _A.B twice, so which one holds its values is not known");
    }
}

}  // namespace
