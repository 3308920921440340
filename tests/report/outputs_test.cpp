// SPDX-License-Identifier: GPL-3.0-or-later
// The table and the picture: columns, rank order with the report's ties,
// shares, names, and names made safe for the picture.
#include <gtest/gtest.h>

#include <cmath>

#include "report/plot.h"
#include "report/table.h"

#include "test_support.h"

namespace {

struct spin_t {
    int res_type;
    const char *declared, *name;
    std::vector<double> scores;
};

// ALA, GLY and LYS selected, in this order, then the given spin systems.
data_t scored(const std::vector<spin_t> &spins) {
    data_t data;
    const outcome_t o = read_selection_and_stats("ALA H H\nALA HA H\nGLY H H\nLYS H H\n", "#\n#\n", data);
    if (o.status != -1) ADD_FAILURE() << o.err;
    for (const spin_t &spin : spins) {
        value_data_t v;
        v.res_type = spin.res_type;
        v.declared = spin.declared;
        v.name = spin.name;
        v.proba = spin.scores;
        data.vdata.push_back(v);
    }
    data.spin_num = static_cast<int>(spins.size());
    return data;
}

// What the writer puts into a stream.
template <typename Write>
std::string written(Write write) {
    char *text = nullptr;
    std::size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    write(out);
    fclose(out);
    std::string result(text, size);
    free(text);
    return result;
}

std::string table_of(const char *model, const data_t &data) {
    return written([&](FILE *out) {
        write_table_header(out);
        write_table_rows(out, model, data);
    });
}

int occurrences(const std::string &text, const std::string &word) {
    int found = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) found++;
    return found;
}

TEST(Table, RowsInRankOrderWithTheReportsSharesAndTies) {
    const data_t data = scored({{-1, "UNK", "A.12", {0.1, 0.7, 0.2}},
                                {1, "GLY", "tab\there", {0.0, 0.0, 0.0}},
                                {-1, "UNK", "", {NAN, 0.5, 0.25}},
                                {0, "ALA", "@13", {2.0, 2.0, 4.0}}});
    EXPECT_EQ(selected_type_codes(data), (std::vector<std::string>{"ALA", "GLY", "LYS"}));
    EXPECT_EQ(table_of("cspd", data),
              "model\tspin_system\tname\tdeclared\ttype\tscore\tshare\trank\n"
              "cspd\t1\tA.12\tUNK\tGLY\t0.69999999999999996\t0.700000\t1\n"
              "cspd\t1\tA.12\tUNK\tLYS\t0.20000000000000001\t0.200000\t2\n"
              "cspd\t1\tA.12\tUNK\tALA\t0.10000000000000001\t0.100000\t3\n"
              // A total of 0 or not a number gives no shares; equal scores keep the report's order.
              "cspd\t2\ttab here\tGLY\tGLY\t0\t\t1\n"
              "cspd\t2\ttab here\tGLY\tALA\t0\t\t2\n"
              "cspd\t2\ttab here\tGLY\tLYS\t0\t\t3\n"
              "cspd\t3\t\tUNK\tGLY\t0.5\t\t1\n"
              "cspd\t3\t\tUNK\tALA\tnan\t\t2\n"
              "cspd\t3\t\tUNK\tLYS\t0.25\t\t3\n"
              "cspd\t4\t@13\tALA\tLYS\t4\t0.500000\t1\n"
              "cspd\t4\t@13\tALA\tGLY\t2\t0.250000\t2\n"
              "cspd\t4\t@13\tALA\tALA\t2\t0.250000\t3\n");
}

TEST(Picture, NamesBecomeWellFormedXmlText) {
    const struct {
        std::string name, text;
    } cases[] = {
        {"A.12 & <B> \"q\" 'r'", "A.12 &amp; &lt;B&gt; &quot;q&quot; &#39;r&#39;"},
        {"tab\there\x01\x7f\r", "tab here???"},
        {"\xc3\xa9\xe2\x80\xa6\xf0\x9f\x98\x80", "\xc3\xa9\xe2\x80\xa6\xf0\x9f\x98\x80"},  // é, …, an emoji
        {"\xc3", "?"},                  // cut short
        {"\xc0\xaf", "??"},              // overlong
        {"\xed\xa0\x80", "???"},         // a surrogate
        {"\xef\xbf\xbe\xef\xbf\xbf", "??????"},  // not characters in XML
        {"\xf4\x90\x80\x80", "????"},     // beyond U+10FFFF
        {"\xe2\x80x", "??x"},
    };
    for (const auto &c : cases) EXPECT_EQ(xml_text(c.name), c.text) << c.name;
}

TEST(Picture, OneCellPerTypeAndSpinSystemAndTheDeclaredTypesOutlined) {
    const data_t data = scored({{-1, "UNK", "B.a_very_long_name_91", {0.1, 0.7, 0.2}},
                                {1, "GLY", "<&>", {0.0, 0.0, 0.0}},
                                {0, "ALA", "", {2.0, 2.0, 4.0}}});
    plot_t plot;
    plot.inputs = "spin systems in.xml";
    add_heat_map(plot, "cfpi", data);
    add_heat_map(plot, "cspd", data);
    const std::string svg = written([&](FILE *out) { write_plot(out, plot, data); });
    EXPECT_EQ(occurrences(svg, "class=\"cell\""), 2 * 3 * 3);
    EXPECT_EQ(occurrences(svg, "class=\"declared\""), 2 * 2);
    EXPECT_EQ(occurrences(svg, "data-spin=\"2\" data-type=\"GLY\"/>"), 2) << "the declared type's outline";
    EXPECT_EQ(occurrences(svg, "data-spin=\"3\" data-type=\"ALA\"/>"), 2);
    EXPECT_EQ(occurrences(svg, "kestrin -cspd: selected permutations, dependent shifts"), 1);
    EXPECT_EQ(occurrences(svg, ">B.a_ver\u2026_name_91</text>"), 2) << "a long label keeps both ends";
    EXPECT_EQ(occurrences(svg, ">&lt;&amp;&gt;</text>"), 2);
    EXPECT_EQ(occurrences(svg, ">3</text>"), 2) << "a spin system without a name is labelled by number";
    EXPECT_EQ(occurrences(svg, "data-spin=\"1\" data-type=\"GLY\" data-share=\"0.700000\""), 2);
    EXPECT_EQ(occurrences(svg, "data-spin=\"2\" data-type=\"GLY\" data-share=\"\""), 2);
    EXPECT_EQ(occurrences(svg, "fill=\"#bdbdbd\" data-spin=\"2\""), 2 * 3) << "no shares: grey";

    const std::string empty = written([&](FILE *out) { write_plot(out, plot_t{}, data); });
    EXPECT_EQ(occurrences(empty, "No model was run"), 1);
    EXPECT_EQ(occurrences(empty, "class=\"cell\""), 0);
}

}  // namespace
