// SPDX-License-Identifier: GPL-3.0-or-later
// STAR syntax: a tokenizer that keeps lines, and the nesting of data blocks,
// save frames and loops.
#include "formats/star.h"

#include <cctype>
#include <unordered_map>

#include "formats/format_error.h"

namespace {

enum class token_kind { data, save_start, save_end, loop, stop, global, tag, value, end };

struct token_t {
    token_kind kind = token_kind::end;
    std::string text;  // tag, value, or the name after data_ / save_
    long line = 0;
    bool quoted = false;
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string lower(const std::string &text) {
    std::string low = text;
    for (char &c : low) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return low;
}

bool starts_with_keyword(const std::string &word, const char *keyword) {
    return lower(word.substr(0, std::char_traits<char>::length(keyword))) == keyword;
}

class tokenizer_t {
public:
    explicit tokenizer_t(const std::string &text) : text_(text) {
        if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;  // a UTF-8 byte order mark
    }

    token_t next() {
        skip_blanks_and_comments();
        token_t token;
        token.line = line_;
        if (pos_ >= text_.size()) return token;
        const char c = text_[pos_];
        if (c == ';' && (pos_ == 0 || text_[pos_ - 1] == '\n')) return text_field(token);
        if (c == '\'' || c == '"') return quoted_value(token, c);

        const std::size_t start = pos_;
        while (pos_ < text_.size() && !is_blank(text_[pos_])) pos_++;
        token.text = text_.substr(start, pos_ - start);
        classify(token);
        return token;
    }

private:
    void skip_blanks_and_comments() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                line_++;
                pos_++;
            } else if (is_blank(c)) {
                pos_++;
            } else if (c == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n') pos_++;
            } else {
                return;
            }
        }
    }

    // A semicolon at the start of a line opens a text field that the next
    // line starting with a semicolon closes.
    token_t text_field(token_t &token) {
        const std::size_t close = text_.find("\n;", pos_);
        if (close == std::string::npos)
            throw format_error(token.line, "the text field opened here (a line starting with ';') is never closed");
        token.text = text_.substr(pos_ + 1, close - pos_ - 1);
        for (std::size_t i = pos_; i <= close; i++)
            if (text_[i] == '\n') line_++;
        pos_ = close + 2;
        token.kind = token_kind::value;
        token.quoted = true;
        return token;
    }

    // A quoted value ends at the first matching quote that is followed by a
    // blank or by the end of the text, on the same line.
    token_t quoted_value(token_t &token, char quote) {
        std::size_t i = pos_ + 1;
        for (; i < text_.size() && text_[i] != '\n'; i++)
            if (text_[i] == quote && (i + 1 == text_.size() || is_blank(text_[i + 1]))) break;
        if (i >= text_.size() || text_[i] == '\n')
            throw format_error(token.line, std::string("the value opened by ") + quote + " is not closed on its line");
        token.text = text_.substr(pos_ + 1, i - pos_ - 1);
        pos_ = i + 1;
        token.kind = token_kind::value;
        token.quoted = true;
        return token;
    }

    static void classify(token_t &token) {
        const std::string &word = token.text;
        if (word[0] == '_') {
            token.kind = token_kind::tag;
        } else if (starts_with_keyword(word, "data_")) {
            token.kind = token_kind::data;
            token.text = word.substr(5);
        } else if (starts_with_keyword(word, "save_")) {
            token.kind = word.size() == 5 ? token_kind::save_end : token_kind::save_start;
            token.text = word.substr(5);
        } else if (lower(word) == "loop_") {
            token.kind = token_kind::loop;
        } else if (lower(word) == "stop_") {
            token.kind = token_kind::stop;
        } else if (lower(word) == "global_") {
            token.kind = token_kind::global;
        } else {
            token.kind = token_kind::value;
        }
    }

    const std::string &text_;
    std::size_t pos_ = 0;
    long line_ = 1;
};

class star_parser_t {
public:
    static constexpr std::size_t max_loop_levels = 8;  // real files nest two; the bound keeps recursion shallow

    explicit star_parser_t(const std::string &text) : tokens_(text) {}

    star_file_t parse() {
        advance();
        while (current_.kind != token_kind::end) {
            if (file_.blocks.empty() && current_.kind != token_kind::data)
                throw format_error(current_.line, "text before the first data_ heading");
            switch (current_.kind) {
            case token_kind::data: open_block(); break;
            case token_kind::save_start: open_frame(); break;
            case token_kind::save_end: close_frame(); break;
            case token_kind::loop: read_loop(); break;
            case token_kind::tag: read_item(); break;
            case token_kind::stop: throw format_error(current_.line, "stop_ without a loop_ to end");
            case token_kind::global: throw format_error(current_.line, "global_ blocks are not read");
            case token_kind::value:
                throw format_error(current_.line, "the value '" + quoted_for_message(current_.text) + "' has no tag");
            case token_kind::end: break;
            }
        }
        if (in_frame_)
            throw format_error(frame().line, "the save frame '" + quoted_for_message(frame().name) +
                                                 "' opened here is not closed by save_");
        if (file_.blocks.empty()) throw format_error(0, "no data_ heading");
        return std::move(file_);
    }

private:
    void advance() { current_ = tokens_.next(); }

    star_block_t &block() { return file_.blocks.back(); }
    // The open save frame, or the block's own part outside save frames.
    star_frame_t &frame() { return in_frame_ ? block().frames.back() : block().frames.front(); }

    // A tag names one item of its save frame (or of its data block, outside
    // save frames), whatever its case. A loop's columns are checked when a
    // reader asks for one (star_loop_t::column): deposited entries repeat
    // columns in loops that no reader of shifts reads.
    void note_tag(const std::string &tag, long line) {
        const auto [seen, fresh] = tags_.try_emplace(lower(tag), line);
        if (fresh) return;
        throw format_error(line, "the tag " + quoted_for_message(tag) + " is given twice in this " +
                                     (in_frame_ ? "save frame" : "data block") + " (first on line " +
                                     std::to_string(seen->second) + ")");
    }

    void open_block() {
        if (in_frame_)
            throw format_error(current_.line, "data_ inside the save frame '" + quoted_for_message(frame().name) +
                                                  "', which is not closed by save_");
        star_block_t block;
        block.name = current_.text;
        block.line = current_.line;
        block.frames.emplace_back();
        block.frames.back().line = current_.line;
        file_.blocks.push_back(std::move(block));
        tags_.clear();
        block_tags_.clear();
        advance();
    }

    void open_frame() {
        if (in_frame_)
            throw format_error(current_.line, "save_" + quoted_for_message(current_.text) +
                                                  " inside the save frame '" + quoted_for_message(frame().name) +
                                                  "', which is not closed by save_");
        star_frame_t opened;
        opened.name = current_.text;
        opened.line = current_.line;
        block().frames.push_back(std::move(opened));
        in_frame_ = true;
        block_tags_.swap(tags_);
        tags_.clear();
        advance();
    }

    void close_frame() {
        if (!in_frame_) throw format_error(current_.line, "save_ closes no save frame");
        in_frame_ = false;
        tags_.swap(block_tags_);
        advance();
    }

    void read_item() {
        star_item_t item;
        item.tag = current_.text;
        const long line = current_.line;
        note_tag(item.tag, line);
        advance();
        if (current_.kind != token_kind::value)
            throw format_error(line, "the tag " + quoted_for_message(item.tag) + " has no value");
        item.value = {current_.text, current_.line, current_.quoted};
        frame().items.push_back(std::move(item));
        advance();
    }

    // A loop ends at stop_, or, as in CIF, at the next heading, tag or loop.
    // A loop may nest others (NMR-STAR 2.1 does, for ambiguous
    // assignments): "loop_ tags loop_ tags ..." declares one level each, and
    // every packet of a level is followed by the packets of the level below,
    // which a stop_ ends. Only the outermost level's rows are kept.
    void read_loop() {
        star_loop_t loop;
        loop.line = current_.line;
        star_frame_t &into = frame();
        std::vector<std::size_t> level_tags;  // tags declared by each level, outermost first
        do {
            const long line = current_.line;
            advance();
            std::size_t count = 0;
            for (; current_.kind == token_kind::tag; count++) {
                if (level_tags.empty()) loop.tags.push_back(current_.text);
                advance();
            }
            if (count == 0) throw format_error(line, "loop_ without tags");
            if (level_tags.size() == max_loop_levels)
                throw format_error(line, "loops nested more than " + std::to_string(max_loop_levels) + " deep");
            level_tags.push_back(count);
        } while (current_.kind == token_kind::loop);

        if (level_tags.size() == 1) {
            while (current_.kind == token_kind::value) {
                loop.values.push_back({current_.text, current_.line, current_.quoted});
                advance();
            }
            if (loop.values.size() % loop.tags.size() != 0)
                throw format_error(loop.line, "the loop of " + std::to_string(loop.tags.size()) + " columns holds " +
                                                  std::to_string(loop.values.size()) +
                                                  " values, which is not a whole number of rows");
        } else {
            read_nested_packets(loop, level_tags, 0);
        }
        if (current_.kind == token_kind::stop) advance();
        into.loops.push_back(std::move(loop));
    }

    // The packets of one level of a nested loop, each followed by those of
    // the level below; the level ends at its stop_ (the outermost also at
    // anything that is not a value). Values of inner levels are skipped.
    void read_nested_packets(star_loop_t &loop, const std::vector<std::size_t> &level_tags, std::size_t level) {
        while (current_.kind == token_kind::value) {
            const long line = current_.line;
            for (std::size_t i = 0; i < level_tags[level]; i++) {
                if (current_.kind != token_kind::value)
                    throw format_error(line, "a row of the nested loop opened at line " + std::to_string(loop.line) +
                                                 " has fewer than its " + std::to_string(level_tags[level]) +
                                                 " values");
                if (level == 0) loop.values.push_back({current_.text, current_.line, current_.quoted});
                advance();
            }
            if (level + 1 < level_tags.size()) {
                read_nested_packets(loop, level_tags, level + 1);
                if (current_.kind != token_kind::stop)
                    throw format_error(line, "the inner rows of the nested loop opened at line " +
                                                 std::to_string(loop.line) + " are not ended by stop_");
                advance();
            }
        }
    }

    tokenizer_t tokens_;
    token_t current_;
    star_file_t file_;
    bool in_frame_ = false;
    std::unordered_map<std::string, long> tags_;        // tags of the open save frame (or block part), lower case → line
    std::unordered_map<std::string, long> block_tags_;  // those of the block's own part while a save frame is open
};

}  // namespace

bool is_star_null(const star_value_t &value) { return !value.quoted && (value.text == "." || value.text == "?"); }

int star_loop_t::column(const std::string &tag) const {
    const std::string wanted = lower(tag);
    int found = -1;
    for (std::size_t i = 0; i < tags.size(); i++)
        if (lower(tags[i]) == wanted) {
            if (found >= 0)
                throw format_error(line, "the loop opened here has the column " + quoted_for_message(tags[i]) +
                                             " twice, so which one holds its values is not known");
            found = static_cast<int>(i);
        }
    return found;
}

bool looks_like_star(const std::string &text) {
    tokenizer_t tokens(text);
    try {
        const token_t first = tokens.next();
        return first.kind == token_kind::data;
    } catch (const format_error &) {
        return false;
    }
}

star_file_t read_star(const std::string &text) { return star_parser_t(text).parse(); }
