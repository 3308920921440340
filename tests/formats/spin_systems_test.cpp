// SPDX-License-Identifier: GPL-3.0-or-later
// Grouping real rows into spin systems: what is kept, in which order, what
// is left out and why, the atom selection, and the faults that end a run.
#include <gtest/gtest.h>

#include "formats/format_error.h"
#include "formats/kestrin_spins.h"
#include "formats/spin_systems.h"
#include "formats_test_support.h"
#include "input/readers.h"
#include "input/text_lines.h"
#include "test_support.h"

namespace {

// "TYPE label H:v,v C:v N:v" with the atoms' names: "LEU A.19 H:H=7.2,HB2=2.13 ...".
std::string described(const spin_system_t &system) {
    std::string text = (system.amino_acid < 0 ? std::string("UNK") : system.residue_name) + " " + system.label;
    char nucleus = 0;
    for (const spin_shift_t &shift : system.shifts) {
        text += shift.nucleus != nucleus ? std::string(" ") + shift.nucleus + ":" : std::string(",");
        nucleus = shift.nucleus;
        text += shift.atom + "=" + shift.value;
    }
    return text;
}

spin_grouping_t grouped(const std::string &file, std::size_t list = 0, const atom_selection_t *selection = nullptr) {
    const shift_file_t shifts = read_shift_file(formats_data(file));
    return group_spin_systems(shifts.lists.at(list), shifts.format, selection);
}

std::vector<std::string> labels(const spin_grouping_t &grouping) {
    std::vector<std::string> found;
    for (const spin_system_t &system : grouping.systems) found.push_back(system.label);
    return found;
}

TEST(SpinSystems, UnassignedGroupsAreSpinSystemsAndNeighbourRowsAreLeftOut) {
    const spin_grouping_t g = grouped("nef_sec5_excerpt.nef");
    EXPECT_EQ(labels(g), (std::vector<std::string>{"#13.@13", "#13.@1", "#13.@27", "@2", "@3", "@97", "@@108", "@@109", "@@110",
                                                    "A.45", "A.46"}));
    EXPECT_EQ(described(g.systems[0]), "UNK #13.@13 H:H=8.931658968 C:CA=59.17897114,CB=36.99890061 N:N=126.5587494");
    EXPECT_EQ(described(g.systems[9]), "GLY A.45 H:H=8.841666126 C:CA=45.64468121 N:N=103.4391758");
    EXPECT_EQ(g.systems[9].line, 54);
    EXPECT_EQ(g.left_out.neighbour_rows, 11);
    EXPECT_EQ(g.left_out.uncertain_rows, 3);  // C@542, H@349, N@354: their groups never become spin systems
    EXPECT_EQ(g.left_out.empty_spin_systems, 0);
}

// "CA=60.8819914,CB=40.25791936": the shifts of the residue before, as kept.
std::string previous_of(const spin_system_t &system) {
    std::string text;
    for (const spin_shift_t &shift : system.previous)
        text += (text.empty() ? "" : ",") + shift.atom + "=" + shift.value;
    return text;
}

TEST(SpinSystems, RowsOfTheResidueBeforeStayWithTheirSpinSystem) {
    const spin_grouping_t g = grouped("nef_sec5_excerpt.nef");
    const struct {
        std::size_t system;
        const char *previous;
    } expected[] = {
        {0, "CA=60.8819914,CB=40.25791936"},   // #13.@13 from @13-1
        {1, "CA=59.2910981,CB=37.30928335"},   // #13.@1
        {2, "CA=61.21798168,CB=33.27430776"},  // #13.@27
        {3, ""},                               // @2 has none
        {4, "CA=62.41758634,CB=69.74427942"},  // @3 of the default chain
        {9, "CA=60.75581837,CB=25.51473933"},  // A.45, an assigned residue, from 45-1
        {10, "CA=45.65059685"},                // A.46
    };
    for (const auto &e : expected)
        EXPECT_EQ(previous_of(g.systems.at(e.system)), e.previous) << g.systems.at(e.system).label;
    EXPECT_EQ(g.systems[0].previous[0].line, 18);
    EXPECT_EQ(g.systems[0].previous[0].nucleus, 'C');
    // Still counted as left out, so that what kestrin-spins writes is as before.
    EXPECT_EQ(g.left_out.neighbour_rows, 11);
    // The NmrChain #13 links its three spin systems in the order the file lists them.
    ASSERT_EQ(g.connected.size(), 1u);
    EXPECT_EQ(g.connected[0].chain, "#13");
    EXPECT_EQ(g.connected[0].labels, (std::vector<std::string>{"#13.@13", "#13.@1", "#13.@27"}));
}

TEST(SpinSystems, AtomNamesOfTheResidueBeforeAndOtherOffsets) {
    const std::string head = "data_x\nsave_l\nloop_\n_nef_chemical_shift.chain_code\n_nef_chemical_shift.sequence_code\n"
                             "_nef_chemical_shift.residue_name\n_nef_chemical_shift.atom_name\n"
                             "_nef_chemical_shift.value\n_nef_chemical_shift.element\n";
    const struct {
        const char *rows;
        const char *previous;  // of spin system @5 (the first)
        std::size_t stretches;
    } cases[] = {
        {"@- @5 . CAi-1 52.1 C\n@- @5 . CBi-1 40.2 C\n@- @5 . H 8.1 H\n", "CA=52.1,CB=40.2", 0},
        {"@- @5 . H 8.1 H\n@- @5-1 . CA 52.1 C\n@- @5-1 . CA 52.3 C\n", "CA=52.1", 0},  // the first kept
        {"@- @5 . H 8.1 H\n@- @5+1 . CA 52.1 C\n@- @5 . CAi+1 52.1 C\n", "", 0},        // the residue after
        {"@- @5 . H 8.1 H\n@- @5-2 . CA 52.1 C\n", "", 0},                              // two before
        {"@- @5 . H 8.1 H\n@- @5-1 . CAi-1 52.1 C\n", "", 0},                           // an offset twice
        {"@- @5 . H 8.1 H\n@- @5-1 . CA 52.1 H\n@- @5-1 . CB 9999 C\n", "", 0},        // wrong element, no shift
        {"@- @5 . H 8.1 H\n@- @5-1 . CA . C\n@- @5-1 . CB x C\n", "", 0},              // null, not a number
        {"'#2' @5 . H 8.1 H\n'#2' @6 . H 8.2 H\n'#2' @6-1 . HA 4.1 H\n", "", 1},
        {"'#2' @5 . H 8.1 H\n'#2' @6 ALA H 8.2 H\n", "", 0},  // an assigned residue: no stretch
    };
    for (const auto &c : cases) {
        const shift_file_t file = read_shift_file(head + c.rows + "stop_\nsave_\n");
        const spin_grouping_t g = group_spin_systems(file.lists[0], file.format);
        ASSERT_FALSE(g.systems.empty()) << c.rows;
        EXPECT_EQ(previous_of(g.systems[0]), c.previous) << c.rows;
        EXPECT_EQ(g.connected.size(), c.stretches) << c.rows;
    }
}

TEST(SpinSystems, TheNefExampleShowsEveryNameRule) {
    const spin_grouping_t g = grouped("nef_commented_example_shift_lists.nef");
    std::map<std::string, std::string> by_label;
    for (const spin_system_t &system : g.systems) by_label[system.label] = described(system);
    EXPECT_EQ(by_label["A.15"], "GLY A.15 H:H=7.8,HA2=3.42,HA3=3.42 N:N=106.5");
    EXPECT_EQ(by_label["A.17"], "VAL A.17 H:H=8.12,HG1=0.73,HG2=0.73 C:CG1=22.1,CG2=22.1 N:N=116.5");
    EXPECT_EQ(by_label["A.19"], "LEU A.19 H:H=7.2,HB2=2.13,HB3=2.51,HD1=0.87,HD2=0.73 "
                                "C:CA=172.2,CB=58.5,CG=32.3,CD1=17.4,CD2=18.7 N:N=119.5");
    EXPECT_EQ(by_label["A.24"], "ASP A.24 H:H=8.79,HB3=3.4 N:N=124.1");
    EXPECT_EQ(by_label["W.2"], "CYS W.2 H:H=7.3 C:CA=41.2,CB=27.3");  // the 2H rows are left out
    EXPECT_EQ(by_label["W.5"], "LYS W.5 H:H=8.4,HA=4.2,HB2=2.2,HB3=2.1,HG2=1.4,HG3=1.4,HD2=1.6,HD3=1.5,HE2=3.1,HE3=3.1 "
                               "C:CA=41.2,CB=27.3,CG=23.2,CD=22.3,CE=26.3");
    EXPECT_EQ(by_label.count("Z.@5"), 0u);
    const left_out_t &out = g.left_out;
    EXPECT_EQ(out.neighbour_rows, 2);
    EXPECT_EQ(out.other_residues, (std::map<std::string, long>{{"CA", 1}, {"CD", 1}, {"GLX", 2}}));
    EXPECT_EQ(out.other_nucleus_rows, 6);
    EXPECT_EQ(out.merged_shifts + out.conflicting_shifts + out.unknown_atom_rows + out.uncertain_rows, 0);
}

TEST(SpinSystems, UncertainAssignmentsAndListsWithoutProtein) {
    const shift_file_t file = read_shift_file(formats_data("nef_1nk2_excerpt.nef"));
    EXPECT_FALSE(lists_protein_residues(file.lists[0], file.format));  // DNA only
    EXPECT_FALSE(lists_protein_residues(file.lists[1], file.format));
    EXPECT_TRUE(lists_protein_residues(file.lists[2], file.format));
    const spin_grouping_t g = group_spin_systems(file.lists[2], file.format);
    EXPECT_EQ(described(g.systems[4]), "LEU C.105 H:H=8.09,HA=4.68,HD1=0.97,HD2=0.99 C:CA=53.2,CB=42,CD1=23.3,CD2=24.9 "
                                       "N:N=123.5");
    EXPECT_EQ(g.left_out.uncertain_rows, 20);  // HB2|HB3, HB3|HB2, 12 rows of 108?, 6 of C? 152? GLN?
    const spin_grouping_t dna = group_spin_systems(file.lists[0], file.format);
    EXPECT_TRUE(dna.systems.empty());
    EXPECT_EQ(dna.left_out.other_residues, (std::map<std::string, long>{{"DT", 8}}));
}

TEST(SpinSystems, RepeatedAtomsKeepTheirFirstValue) {
    const spin_grouping_t star = grouped("nmrstar_bmr15000_excerpt.str");
    EXPECT_EQ(star.left_out.merged_shifts, 6);  // methyl protons written as three rows
    EXPECT_EQ(star.left_out.other_residues, (std::map<std::string, long>{{"PHF", 6}}));
    const spin_grouping_t talos = grouped("talos_ns3_excerpt.tab");
    EXPECT_EQ(described(talos.systems[4]), "LEU 31 H:H=8.33,HA=4.45,HD1=0.84 C:C=177.84,CA=53.96,CB=40.89,CD1=25.03,"
                                           "CD2=22.53 N:N=118.84");
    EXPECT_EQ(talos.left_out.conflicting_shifts, 1);  // LEU 31 MD1 given again as 0.88
    EXPECT_EQ(described(talos.systems[3]), "ILE 25 H:H=8.82,HA=4.47,HD1=0.84 C:C=176.40,CA=60.61,CB=38.00,CD1=12.71 "
                                           "N:N=120.97");
}

TEST(SpinSystems, NucleusColumnsDecide) {
    const spin_grouping_t g = grouped("nmrstar2_bmr15517_excerpt.str");
    EXPECT_EQ(g.left_out.contradicting_rows, 2);  // PHE HE1 and HE2 typed C
    EXPECT_EQ(described(g.systems.back()), "PHE 70 H:H=7.620,HA=4.330,HB2=3.450,HB3=3.060,HD1=6.720,HD2=6.720 "
                                           "C:C=175.550,CA=60.100,CB=39.100 N:N=117.060");
    const spin_grouping_t sparky = grouped("sparky_P3a_L273R_shifts_short.txt");
    EXPECT_EQ(described(sparky.systems[1]), "A 237 H:H=8.549,HA=4.277,HB=1.357 C:C=177.765,CA=52.387,CB=19.145 "
                                            "N:N=124.638");
}

TEST(SpinSystems, SelectionKeepsItsAtomsInItsOrderAndCountsTheRest) {
    const atom_selection_t selection = read_atom_selection("# Amino Atom Type\n"
                                                           "ALA HB H\nALA H H\nALA CA C\nALA N N\n"
                                                           "GLY H H\n");
    const spin_grouping_t g = grouped("sparky_P3a_L273R_shifts_short.txt", 0, &selection);
    EXPECT_EQ(labels(g), (std::vector<std::string>{"237"}));  // PRO and MET lose every shift
    EXPECT_EQ(described(g.systems[0]), "A 237 H:HB=1.357,H=8.549 C:CA=52.387 N:N=124.638");
    EXPECT_EQ(g.left_out.unselected_shifts, 28 - 4);
    EXPECT_EQ(g.left_out.empty_spin_systems, 2);
    // Spin systems of unknown type keep every shift.
    const spin_grouping_t unassigned = grouped("nef_ubiquitin_short_shifts.nef", 0, &selection);
    EXPECT_EQ(described(unassigned.systems[0]), "UNK #18.@19 H:H=8.507345563 C:C=174.0787518,CA=55.19626104,"
                                                "CB=42.78262913 N:N=123.3654109");
}

TEST(SpinSystems, SelectionFilesAreReadAsKestrinReadsThem) {
    const atom_selection_t selection = read_atom_selection("ALA H H\n\nshort line\nALA H H\nGLY HA2 H\n");
    EXPECT_EQ(selection.atoms[0].size(), 1u);  // the repeated line is skipped
    EXPECT_EQ(selected_position(selection, 7, "HA2", 'H'), 0);
    EXPECT_EQ(selected_position(selection, 7, "HA2", 'C'), -1);
    const struct {
        const char *text;
        long line;
        const char *message;
    } faults[] = {{"ALA H H\nXYZ H H\n", 2, "unknown residue 'XYZ'"},
                  {"ALA H H\nGLY H H\nALA HA H\n", 3, "residue 'ALA' appears in more than one block"},
                  {"# nothing\n", 0, "no atom to select (no line of code, atom name and atom type)"}};
    for (const auto &f : faults) {
        try {
            read_atom_selection(f.text);
            ADD_FAILURE() << f.text;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, f.line);
            EXPECT_STREQ(error.what(), f.message);
        }
    }
}

TEST(SpinSystems, OrderFollowsTheFirstKeptRowAndBadRowsEndTheRun) {
    // Real rows of the NEF example, reordered so that residue 2's first row is a 2H row.
    const std::string head = "data_x\nsave_l\nloop_\n_nef_chemical_shift.chain_code\n_nef_chemical_shift.sequence_code\n"
                             "_nef_chemical_shift.residue_name\n_nef_chemical_shift.atom_name\n"
                             "_nef_chemical_shift.value\n_nef_chemical_shift.isotope_number\n";
    const shift_file_t file = read_shift_file(head + "W 2 CYS HA 4.3 2\nW 1 ASP HA 4.1 .\nW 2 CYS H 7.3 .\nstop_\nsave_\n");
    EXPECT_EQ(labels(group_spin_systems(file.lists[0], file.format)), (std::vector<std::string>{"W.1", "W.2"}));

    const struct {
        const char *rows;
        long line;
        const char *message;
    } faults[] = {
        {"W 1 ASP HA 4.1 .\nW 1 Cys H 7.3 .\n", 11, "chain W, residue 1 is named 'Cys' here but 'ASP' on line 10"},
        {"W 1 ASP HA 4.1ppm .\n", 10, "the shift '4.1ppm' is not a number"},
        {"W 1 ASP HA nan .\n", 10, "the shift 'nan' is not a number"},
    };
    for (const auto &f : faults) {
        const shift_file_t bad = read_shift_file(head + f.rows + "stop_\nsave_\n");
        try {
            group_spin_systems(bad.lists[0], bad.format);
            ADD_FAILURE() << f.rows;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, f.line) << f.rows;
            EXPECT_STREQ(error.what(), f.message);
        }
    }
    // Case alone does not make two names, and a null value is a row without a value.
    const shift_file_t fine = read_shift_file(head + "W 1 ASP HA 4.1 .\nW 1 Asp H . .\nstop_\nsave_\n");
    EXPECT_EQ(group_spin_systems(fine.lists[0], fine.format).left_out.missing_value_rows, 1);
}

TEST(SpinSystems, DecimalNumbers) {
    for (const char *good : {"8.970", "-0.5", "+12", ".5", "5.", "1e2", "1.5E-3"}) EXPECT_TRUE(is_decimal_number(good)) << good;
    for (const char *bad : {"", ".", "-", "1e", "0x10", "inf", "nan", "1e999", "8,97", "8.9.7", " 8.9"})
        EXPECT_FALSE(is_decimal_number(bad)) << bad;
}

// A NEF shift list of the given rows: chain, sequence code, residue, atom, value.
shift_file_t nef_rows(const std::string &rows) {
    return read_shift_file("data_x\nsave_l\nloop_\n_nef_chemical_shift.chain_code\n_nef_chemical_shift.sequence_code\n"
                           "_nef_chemical_shift.residue_name\n_nef_chemical_shift.atom_name\n"
                           "_nef_chemical_shift.value\n" + rows + "stop_\nsave_\n");
}

// Splits a name as the naming rule says it is read back: at its first '.'
// outside a '\' escape, the escapes undone in the chain; "|" when it has none.
std::string read_back(const std::string &label) {
    std::string chain;
    for (std::size_t i = 0; i < label.size(); i++) {
        if (label[i] == '\\' && i + 1 < label.size()) {
            chain += label[++i];
        } else if (label[i] == '.') {
            return chain + "|" + label.substr(i + 1);
        } else {
            chain += label[i];
        }
    }
    return "|" + label;
}

TEST(SpinSystems, NamesAreUniqueAndSayTheirChain) {
    const struct {
        const char *chain, *code;
        shift_format_t format;
        const char *label;
    } names[] = {
        {"A", "12", shift_format_t::nef, "A.12"},          // assigned: as before
        {"@-", "@13", shift_format_t::nef, "@13"},         // the default chain: as before
        {"#13", "@13", shift_format_t::nef, "#13.@13"},    // a connected stretch keeps its NmrChain
        {"A", "@13", shift_format_t::nef, "A.@13"},
        {"@-", "12", shift_format_t::nef, "@-.12"},
        {"A", "1.2", shift_format_t::nef, "A.1.2"},
        {"A.1", "2", shift_format_t::nef, "A\\.1.2"},
        {"A\\", "2", shift_format_t::nef, "A\\\\.2"},
        {"@-", "@1.2", shift_format_t::nef, "@-.@1.2"},    // a code with '.' never stands alone
        {"", "@13", shift_format_t::nef, ".@13"},
        {"", "12", shift_format_t::nmrstar2, "12"},        // formats without chains
        {"", "1.2", shift_format_t::talos, ".1.2"},
        {"1", "12", shift_format_t::nmrstar, "1.12"},
    };
    std::map<std::string, std::string> owners;
    for (const auto &n : names) {
        const std::string label = spin_system_label(n.chain, n.code, n.format);
        EXPECT_EQ(label, n.label) << n.chain << " " << n.code;
        // Read back: the chain (or the elided one) and the code.
        const std::string back = read_back(label);
        const bool elided = back[0] == '|';
        EXPECT_EQ(back, (elided ? std::string() : std::string(n.chain)) + "|" + n.code) << label;
        if (elided) {
            EXPECT_TRUE(std::string(n.chain).empty() || std::string(n.chain) == "@-") << label;
        }
        const auto [owner, fresh] = owners.emplace(label, std::string(n.chain) + " " + n.code);
        EXPECT_TRUE(fresh) << label << " given to " << owner->second << " and to " << n.chain << " " << n.code;
    }
    // The file on which names collided gives four spin systems, four names.
    EXPECT_EQ(labels(grouped("regression_name_collisions.nef")),
              (std::vector<std::string>{"A.1.2", "A\\.1.2", "A.@13", "B.@13"}));
}

TEST(SpinSystems, NullIdentifiersLeaveTheRowOut) {
    const spin_grouping_t dots = grouped("regression_null_sequence_codes.nef");
    EXPECT_TRUE(dots.systems.empty());
    EXPECT_EQ(dots.left_out.null_identifier_rows, 2);
    const struct {
        const char *row;
        long null_rows;  // 1: left out as a null
        const char *kept;  // the spin system kept otherwise
    } rows[] = {
        {". 1 ALA H 8.1\n", 1, ""},
        {"A ? ALA H 8.1\n", 1, ""},
        {"A 1 ALA . 8.1\n", 1, ""},
        {"A 1 ? H 8.1\n", 1, ""},
        {"A 1 . H 8.1\n", 0, "UNK A.1 H:H=8.1"},    // NEF's residue of unknown type
        {"A '.' ALA H 8.1\n", 0, "ALA A.. H:H=8.1"},  // quoted: a literal code
        {"'.' 1 ALA H 8.1\n", 0, "ALA \\..1 H:H=8.1"},
    };
    for (const auto &r : rows) {
        const shift_file_t file = nef_rows(r.row);
        const spin_grouping_t g = group_spin_systems(file.lists[0], file.format);
        EXPECT_EQ(g.left_out.null_identifier_rows, r.null_rows) << r.row;
        EXPECT_EQ(g.systems.empty() ? std::string() : described(g.systems[0]), r.kept) << r.row;
    }
}

TEST(SpinSystems, PlaceholdersAndShiftsOutsideTheirNucleusRange) {
    // TALOS writes 9999.00 for residue 163's missing C.
    const spin_grouping_t talos = grouped("talos_ns3_residue163_excerpt.tab");
    ASSERT_EQ(talos.systems.size(), 1u);
    EXPECT_EQ(described(talos.systems[0]), "SER 163 H:H=8.73,HA=4.44 C:CA=55.50 N:N=117.57");
    EXPECT_EQ(talos.left_out.missing_value_rows, 1);
    EXPECT_EQ(talos.left_out.out_of_range_rows, 0);
    // Every range at and just beyond its edges, for known and unknown types.
    const struct {
        const char *row;
        long out;
    } rows[] = {
        {"A 1 ALA H 100\n", 0},   {"A 1 ALA H 100.001\n", 1}, {"A 1 ALA HA -50\n", 0},
        {"A 1 ALA HA -50.01\n", 1}, {"A 1 ALA CA 350\n", 0},   {"A 1 ALA CA 350.01\n", 1},
        {"A 1 ALA C -50\n", 0},   {"A 1 ALA C -50.01\n", 1},  {"A 1 ALA N 500\n", 0},
        {"A 1 ALA N 500.01\n", 1}, {"A 1 ALA N -50\n", 0},    {"A 1 ALA N -50.01\n", 1},
        {"@- @1 . CA 9999.00\n", 1}, {"@- @1 . H 9999\n", 1}, {"@- @1 . N 499.9\n", 0},
        {"A 1 ALA HB% 1e3\n", 1},  // a wildcard's row counted once
    };
    for (const auto &r : rows) {
        const shift_file_t file = nef_rows(r.row);
        const spin_grouping_t g = group_spin_systems(file.lists[0], file.format);
        EXPECT_EQ(g.left_out.out_of_range_rows, r.out) << r.row;
        EXPECT_EQ(g.systems.size(), r.out == 0 ? 1u : 0u) << r.row;
    }
}

// kestrin's reader and the companions' reader take the same atoms from any
// selection, at the same positions, or both refuse it at the same line.
TEST(SpinSystems, OneReaderDecidesWhatASelectionHolds) {
    const char *texts[] = {
        "ALA H H\nGLY H H\nALA H H\n",              // a repeat after another amino acid: skipped by both
        "ALA H H\nGLY HA2 H\nALA H H\nGLY HA3 H\n",
        "ALA H H\nALA H Hx\nALA CA C\n",            // two type words: two atoms for both
        "ALA H H\r\nALA\tCA\tC\n\nx y\n# GLY H H\n",
        "ALA H H\nGLY H H\nALA HA H\n",             // a block opened twice: refused by both
        "ALA H H\nXYZ H H\n",
        "# nothing\n",
    };
    for (const char *text : texts) {
        write_file("selection.txt", text);
        parameters_t params;
        params.input_atoms_fname = "selection.txt";
        data_t data;
        const outcome_t kestrin = run_captured([&] { read_cs_to_analyse(params, data); });
        try {
            const atom_selection_t selection = read_atom_selection(text);
            ASSERT_EQ(kestrin.status, -1) << text << kestrin.err;
            std::size_t atoms = 0;
            for (const auto &amino_acid : selection.atoms) atoms += amino_acid.size();
            EXPECT_EQ(atoms, static_cast<std::size_t>(data.key_num)) << text;
            EXPECT_EQ(selection.repeated_lines > 0, !kestrin.err.empty()) << text;  // kestrin's warning
            for (int k = 0; k < data.key_num; k++) {
                const std::vector<std::string> words = split_whitespace(data.cs_keys[k]);
                int amino_acid = 0;
                while (words[0] != AA3[amino_acid]) amino_acid++;
                const selected_atom_t &atom = selection.atoms[amino_acid].at(data.cs_num[k]);
                EXPECT_EQ(atom.name + " " + atom.nucleus, words[1] + " " + words[2][0]) << text;
            }
        } catch (const format_error &error) {
            EXPECT_EQ(kestrin.status, 1) << text;
            // The same fault: "unknown residue 'XYZ'" is in kestrin's "Error: unknown residue 'XYZ' in file ...".
            const std::string fault = error.line > 0 ? error.what() : "there is no atom types to analyse";
            EXPECT_NE(kestrin.err.find(fault), std::string::npos) << text << kestrin.err;
        }
    }
}

TEST(SpinSystems, KestrinSpinFilesNameNoAtomsAndKeepTheDeclaredTypes) {
    const std::string text = "<!-- written by hand -->\n"
                             "<res type=\"ALA\" name=\"12\">\n"
                             "  <cs type=\"H\" n=\"2\">\n8.12 4.31 9.9\n"  // values beyond the count are ignored
                             "  <cs type=\"C\" n=\"2\">\n52.4 19.0\n"
                             "</res>\n"
                             "<res type=\"UNK\">\n"                            // no name: its ordinal
                             " <cs type=\"H\" n=\"1\">\n"                     // other indentation: ignored
                             "  <cs type=\"N\" n=\"1\">\n123.7\n"
                             "</res>\n";
    ASSERT_TRUE(is_kestrin_spin_file(text));
    EXPECT_FALSE(is_kestrin_spin_file("data_x\n<res type=\"ALA\">\n"));
    const shift_file_t file = read_kestrin_spin_file(text);
    EXPECT_EQ(file.format, shift_format_t::kestrin);
    const spin_grouping_t grouping = group_spin_systems(file.lists.at(0), file.format);
    ASSERT_EQ(grouping.systems.size(), 2u);
    EXPECT_EQ(described(grouping.systems[0]), "ALA 12 H:H_1=8.12,H_2=4.31 C:C_3=52.4,C_4=19.0");
    EXPECT_EQ(grouping.systems[0].amino_acid, 0);
    EXPECT_EQ(described(grouping.systems[1]), "UNK 2 N:N_1=123.7");
    const struct {
        const char *text;
        long line;
        const char *message;
    } faults[] = {
        {"<res type=\"ALA\" name=\"1\">\n</res>\n<res type=\"GLY\" name=\"1\">\n</res>\n", 3,
         "the spin-system name '1' is used twice"},
        {"<res type=\"ALA\">\n  <cs type=\"X\" n=\"1\">\n1.0\n</res>\n", 2, "unknown chemical shift type 'X'"},
        {"<res type=\"ALA\">\n  <cs type=\"H\" n=\"3\">\n8.1 4.2\n</res>\n", 3,
         "the values line holds 2 values where n says 3"},
        {"<res type=\"ALA\">\n  <cs type=\"H\" n=\"1\">\n8.1\n", 3,
         "the file ends inside the spin system begun on line 1"},
        {"<!-- nothing -->\n", 0, "no spin system in this kestrin spin-system file"},
    };
    for (const auto &f : faults) {
        try {
            read_kestrin_spin_file(f.text);
            ADD_FAILURE() << f.text;
        } catch (const format_error &error) {
            EXPECT_EQ(error.line, f.line) << f.text;
            EXPECT_STREQ(error.what(), f.message);
        }
    }
}

}  // namespace
