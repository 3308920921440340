// SPDX-License-Identifier: GPL-3.0-or-later
// Spin-system input: shifts per nucleus, declared types, and the lines that
// end the run.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// ALA (type 0) and GLY (type 1) are selected; ARG is a known, unselected code.
data_t selected_ala_gly() {
    data_t data;
    const outcome_t o = read_selection_and_stats("ALA H H\nGLY H H\n", "#\n#\n", data);
    if (o.status != -1) ADD_FAILURE() << o.err;
    return data;
}

TEST(SpinSystems, ShiftsAreReadPerNucleus) {
    data_t data = selected_ala_gly();
    const outcome_t o = read_spin_systems("<!-- entry -->\n"
                                          "<res type=\"ALA\">\n"
                                          "  <cs type=\"H\" n=\"2\">\n"
                                          "8.12 4.31\n"
                                          "  <cs type=\"C\" n=\"2\">\n"
                                          "52.4 19.0 99.9\n"
                                          "  <cs type=\"N\" n=\"1\">\n"
                                          "123.7\n"
                                          "</res>\n",
                                          data);
    ASSERT_EQ(o.status, -1) << o.err;
    ASSERT_EQ(data.spin_num, 1);
    const value_data_t &v = data.vdata[0];
    EXPECT_EQ(v.res_type, 0);
    EXPECT_EQ(v.H_val, (std::vector<double>{8.12, 4.31}));
    EXPECT_EQ(v.C_val, (std::vector<double>{52.4, 19.0}));
    EXPECT_EQ(v.N_val, (std::vector<double>{123.7}));
    EXPECT_EQ(v.total_num, 5);
    EXPECT_EQ(v.proba, (std::vector<double>{0.0, 0.0}));
}

TEST(SpinSystems, EmptyInputAndEmptySpinSystems) {
    data_t data = selected_ala_gly();
    ASSERT_EQ(read_spin_systems("", data).status, -1);
    EXPECT_EQ(data.spin_num, 0);

    data = selected_ala_gly();
    ASSERT_EQ(read_spin_systems("<res type=\"XXX\">\n\t<cs type=\"H\" n=\"1\">\n <cs type=\"H\" n=\"1\">\n</res>\n", data)
                  .status,
              -1);
    ASSERT_EQ(data.spin_num, 1);
    EXPECT_EQ(data.vdata[0].res_type, -1);
    EXPECT_EQ(data.vdata[0].total_num, 0);
    EXPECT_TRUE(data.vdata[0].H_val.empty());
}

TEST(SpinSystems, UnselectedTypeIsDroppedWithAWarningWithoutLineFeed) {
    data_t data = selected_ala_gly();
    const outcome_t o = read_spin_systems("<res type=\"ARG\">\n</res>\n"
                                          "<res type=\"GLY\">\n</res>\n"
                                          "<res type=\"LYS\">\n  <cs type=\"H\" n=\"1\">\n8.0\n</res>\n"
                                          "<res type=\"UNK\">\n  <cs type=\"H\" n=\"1\">\n7.5\n</res>\n",
                                          data);
    ASSERT_EQ(o.status, -1) << o.err;
    EXPECT_EQ(o.err,
              "Warning: no statistics have been read for this residue ('ARG' number 1 in input file)."
              "Warning: no statistics have been read for this residue ('LYS' number 3 in input file).");
    ASSERT_EQ(data.spin_num, 2);
    EXPECT_EQ(data.vdata[0].res_type, 1);
    EXPECT_EQ(data.vdata[1].res_type, -1);
    EXPECT_EQ(data.vdata[1].H_val, (std::vector<double>{7.5}));
}

TEST(SpinSystems, EmptyShiftLineKeepsTheFollowingEndOrShiftLine) {
    data_t data = selected_ala_gly();
    ASSERT_EQ(read_spin_systems("<res type=\"UNK\">\n"
                                "  <cs type=\"H\" n=\"0\">\n"
                                "  <cs type=\"C\" n=\"1\">\n"
                                "50.0\n"
                                "  <cs type=\"N\" n=\"0\">\n"
                                "</res>\n"
                                "<res type=\"UNK\">\n"
                                "  <cs type=\"N\" n=\"0\">\n"
                                "an ordinary line, consumed\n"
                                "</res>\n",
                                data)
                  .status,
              -1);
    ASSERT_EQ(data.spin_num, 2);
    EXPECT_EQ(data.vdata[0].C_val, (std::vector<double>{50.0}));
    EXPECT_EQ(data.vdata[0].total_num, 1);
    EXPECT_EQ(data.vdata[1].total_num, 0);
}

TEST(SpinSystems, SecondShiftLineReplacesAndNonNumbersReadAsZero) {
    data_t data = selected_ala_gly();
    ASSERT_EQ(read_spin_systems("<res type=\"UNK\">\n"
                                "  <cs type=\"H\" n=\"2\">\n"
                                "8.0 4.0\n"
                                "  <cs type=\"H\" n=\"3\">\n"
                                "7.0 x 1.5ppm\t2\n"
                                "</res>\n",
                                data)
                  .status,
              -1);
    EXPECT_EQ(data.vdata[0].H_val, (std::vector<double>{7.0, 0.0, 1.5}));
    EXPECT_EQ(data.vdata[0].total_num, 3);
}

TEST(SpinSystems, BadLinesEndTheRun) {
    const struct {
        std::string input, message;
    } cases[] = {
        {"<res type=\"UNK\">\n", "Error: unexpected End-Of-File while reading stdin\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"1\">\n", "Error: unexpected End-Of-File while reading stdin\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"1\">\n8.0\n", "Error: unexpected End-Of-File while reading stdin\n"},
        {"<res type=\"UNK\">\n  <cs type=\"h\" n=\"1\">\n8.0\n</res>\n", "Error: unknown chemical shift type 'h'\n"},
        {"\n<res kind=\"UNK\">\n</res>\n", "Error: malformed line 2 in stdin\n<res kind=\"UNK\">\n"},
        {"<res type=\"AL\n</res>\n", "Error: malformed line 1 in stdin\n<res type=\"AL\n"},
        {"<res type=\"UNK\">\n  <cs n=\"1\">\n8.0\n</res>\n", "Error: malformed line 2 in stdin\n  <cs n=\"1\">\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\">\n8.0\n</res>\n",
         "Error: malformed line 2 in stdin\n  <cs type=\"H\">\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"-1\">\n8.0\n</res>\n",
         "Error: malformed line 2 in stdin\n  <cs type=\"H\" n=\"-1\">\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"x\">\n8.0\n</res>\n",
         "Error: malformed line 2 in stdin\n  <cs type=\"H\" n=\"x\">\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"3\">\n8.0\t4.0 1.0\n</res>\n",
         "Error: expected 3 values but found 2 on line 3 of stdin\n"},
        // A count beyond every integer type is still a count, printed as written.
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"0004294967297\">\n8.0\n</res>\n",
         "Error: expected 4294967297 values but found 1 on line 3 of stdin\n"},
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=\"123456789012345678901234567890\">\n8.0\n</res>\n",
         "Error: expected 123456789012345678901234567890 values but found 1 on line 3 of stdin\n"},
        // An echoed line without a line feed of its own (the input's last line,
        // or a line cut at a NUL byte) still ends the message with one.
        {"<res type=\"UNK\">\n  <cs type=\"H\" n=x", "Error: malformed line 2 in stdin\n  <cs type=\"H\" n=x\n"},
        {std::string("<res type=\"UNK\">\n  <cs ty\0pe=\"H\" n=\"1\">\n8.0\n</res>\n", 51),
         "Error: malformed line 2 in stdin\n  <cs ty\n"},
    };
    for (const auto &c : cases) {
        data_t data = selected_ala_gly();
        const outcome_t o = read_spin_systems(c.input, data);
        EXPECT_EQ(o.status, 1) << c.input;
        EXPECT_EQ(o.err, c.message) << c.input;
    }
}

TEST(SpinSystems, CountsFollowTheIntegerPrefixRules) {
    data_t data = selected_ala_gly();
    ASSERT_EQ(read_spin_systems("<res type=\"UNK\">\n"
                                "  <cs type=\"H\" n=\"+02\">\n8.0 4.0\n"
                                "  <cs type=\"N\" n=\"-0\">\n"
                                "</res>\n",
                                data)
                  .status,
              -1);
    EXPECT_EQ(data.vdata[0].H_num, 2);
    EXPECT_EQ(data.vdata[0].N_num, 0);
}

TEST(SpinSystems, LongValuesLineIsReadWhole) {
    data_t data = selected_ala_gly();
    std::string values;
    for (int i = 0; i < 400; i++) values += "123.456789 ";
    ASSERT_EQ(read_spin_systems("<res type=\"UNK\">\n  <cs type=\"C\" n=\"400\">\n" + values + "\n</res>\n", data)
                  .status,
              -1);
    EXPECT_EQ(data.vdata[0].C_num, 400);
    EXPECT_EQ(data.vdata[0].C_val[399], 123.456789);
}

TEST(SpinSystems, NamesAndDeclaredCodesAreKeptAsRead) {
    const struct {
        const char *begin_line, *declared, *name;
    } cases[] = {
        {"<res type=\"UNK\" name=\"A.12\">", "UNK", "A.12"},
        {"<res type=\"ALA\">", "ALA", ""},
        {"<res name=\"@13\" type=\"GLY\">", "GLY", "@13"},
        {"<res type=\"UNK\" name=\"\">", "UNK", ""},
        {"<res type=\"UNK\" name=\"a b\tc\" name=\"second\">", "UNK", "a b\tc"},
        {"<res type=\"UNK\" rename=\"first match\" name=\"x\">", "UNK", "first match"},
        {"<res type=\"UNK\" name=\"never closed>", "UNK", ""},
        {"<res type=\"Xy\" name='single'>", "Xy\"", ""},
    };
    for (const auto &c : cases) {
        data_t data = selected_ala_gly();
        const outcome_t o = read_spin_systems(std::string(c.begin_line) + "\n</res>\n", data);
        ASSERT_EQ(o.status, -1) << c.begin_line << "\n" << o.err;
        EXPECT_EQ(data.vdata[0].declared, c.declared) << c.begin_line;
        EXPECT_EQ(data.vdata[0].name, c.name) << c.begin_line;
    }
}

}  // namespace
