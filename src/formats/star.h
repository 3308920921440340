// SPDX-License-Identifier: GPL-3.0-or-later
// A reader of STAR files (NMR-STAR 3.x and 2.1, NEF): data blocks, save
// frames, items and loops, with the line of every value.
#pragma once

#include <string>
#include <vector>

struct star_value_t {
    std::string text;     // the value without its quotes or semicolons
    long line = 0;        // line where the value starts
    bool quoted = false;  // written in quotes or as a text field, so "." and "?" are literal
};

// True for the STAR null values: an unquoted "." (inapplicable) or "?" (unknown).
bool is_star_null(const star_value_t &value);

struct star_item_t {
    std::string tag;     // as written, with its leading underscore
    star_value_t value;  // its value
};

struct star_loop_t {
    long line = 0;                     // line of loop_
    std::vector<std::string> tags;     // column tags, as written
    std::vector<star_value_t> values;  // row after row; a whole number of rows

    std::size_t row_count() const { return tags.empty() ? 0 : values.size() / tags.size(); }
    // Column of the tag, compared without regard to case; -1 when absent. A
    // tag given to two columns throws format_error at the loop's line.
    int column(const std::string &tag) const;
    const star_value_t &at(std::size_t row, int column) const { return values[row * tags.size() + column]; }
};

struct star_frame_t {
    std::string name;  // after "save_"; empty for what a data block holds outside save frames
    long line = 0;     // line of save_NAME (of data_NAME for the block's own part)
    std::vector<star_item_t> items;
    std::vector<star_loop_t> loops;
};

struct star_block_t {
    std::string name;                  // after "data_"
    long line = 0;                     // line of data_NAME
    std::vector<star_frame_t> frames;  // the block's own items and loops first (name ""), then each save frame
};

struct star_file_t {
    std::vector<star_block_t> blocks;
};

// True when the first thing in the text, after blanks and comments, is a
// data_ heading: the text is meant as a STAR file.
bool looks_like_star(const std::string &text);

// Reads the whole text; a syntax fault, or an item whose tag the same save
// frame (or data block part) already has, throws format_error with its line.
// Tags keep the case they are written in; keywords (data_, save_, loop_,
// stop_) are matched without regard to case.
star_file_t read_star(const std::string &text);
