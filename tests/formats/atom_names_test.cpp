// SPDX-License-Identifier: GPL-3.0-or-later
// The atom-name rules on names real files write, each rule by its examples.
#include <gtest/gtest.h>

#include "formats/atom_names.h"

namespace {

// The atom names that the written name stands for, joined by blanks.
std::string resolved(const char *residue, const char *name) {
    const int amino_acid = amino_acid_of_name(residue, false);
    std::string text;
    for (int atom : atoms_of_name(amino_acid, name)) text += (text.empty() ? "" : " ") + amino_acid_atoms(amino_acid)[atom].name;
    return text;
}

TEST(AtomNames, EveryRuleOnRealNames) {
    const struct {
        const char *residue, *name, *atoms;
    } cases[] = {
        // Plain names, and the amide proton written HN (Sparky, TALOS).
        {"ALA", "CA", "CA"}, {"LEU", "HN", "H"}, {"PRO", "H", ""}, {"LYS", "HZ", ""},
        // Older isoleucine names.
        {"ILE", "CD", "CD1"}, {"ILE", "HD", "HD1"},
        // Methyl protons as three rows (NMR-STAR), as the group (2.1 files), and wildcards (NEF).
        {"ALA", "HB1", "HB"}, {"ALA", "HB3", "HB"}, {"ALA", "HB", "HB"}, {"LEU", "HD12", "HD1"},
        {"ILE", "HD11", "HD1"}, {"THR", "HG21", "HG2"}, {"THR", "HG1", "HG1"}, {"ALA", "HB%", "HB"},
        {"THR", "HG2%", "HG2"}, {"ILE", "HD1%", "HD1"}, {"VAL", "HG1#", "HG1"}, {"MET", "HE*", "HE"},
        // Pseudo-atoms: Q and QQ read as H...%, M as the methyl under H...
        {"ALA", "QB", "HB"}, {"GLY", "QA", "HA2 HA3"}, {"VAL", "QQG", "HG1 HG2"}, {"LEU", "QD1", "HD1"},
        {"ALA", "MB", "HB"}, {"VAL", "MG1", "HG1"}, {"VAL", "MG2", "HG2"}, {"ILE", "MD", "HD1"},
        {"ILE", "MG", "HG2"}, {"LEU", "MD1", "HD1"}, {"MET", "ME", "HE"}, {"VAL", "MG", "HG1 HG2"},
        {"PHE", "QR", ""},
        // Stereo-unassigned partners x and y.
        {"SER", "HBx", "HB2"}, {"SER", "HBy", "HB3"}, {"GLY", "HAx", "HA2"}, {"PRO", "HDy", "HD3"},
        {"VAL", "HGx%", "HG1"}, {"VAL", "HGy%", "HG2"}, {"LEU", "HDx%", "HD1"}, {"LEU", "HDy%", "HD2"},
        {"LEU", "CDx", "CD1"}, {"LEU", "CDy", "CD2"}, {"VAL", "CGx", "CG1"}, {"VAL", "CGy", "CG2"},
        {"ILE", "HG1x", "HG12"}, {"ILE", "HG1y", "HG13"}, {"ASN", "HD2x", "HD21"}, {"GLN", "HE2y", "HE22"},
        {"MET", "HEx", "HE"}, {"MET", "HEy", "HE"}, {"CYS", "HGx", ""},
        // Wildcards over non-methyl atoms give every atom of the prefix.
        {"SER", "HB%", "HB2 HB3"}, {"TYR", "HD%", "HD1 HD2"}, {"TYR", "CE%", "CE1 CE2"},
        {"LYS", "HZ%", "HZ1 HZ2 HZ3"}, {"VAL", "CG%", "CG1 CG2"}, {"VAL", "HG%", "HG1 HG2"},
        {"ILE", "HG%", "HG12 HG13 HG2"}, {"ARG", "HH1%", "HH11 HH12"}, {"THR", "HB%", "HB"},
    };
    for (const auto &c : cases) EXPECT_EQ(resolved(c.residue, c.name), c.atoms) << c.residue << " " << c.name;
}

TEST(AtomNames, ResidueNamesWithoutRegardToCase) {
    EXPECT_EQ(amino_acid_of_name("Ala", false), 0);
    EXPECT_EQ(amino_acid_of_name("val", false), 19);
    EXPECT_EQ(amino_acid_of_name("A", false), -1);  // RNA adenine in NEF and NMR-STAR
    EXPECT_EQ(amino_acid_of_name("A", true), 0);
    EXPECT_EQ(amino_acid_of_name("c", true), 4);  // TALOS writes an oxidised cysteine in lower case
    for (const char *other : {"PHF", "GLX", "DT", ".", "", "ALAA"}) EXPECT_EQ(amino_acid_of_name(other, true), -1) << other;
}

TEST(AtomNames, EachAminoAcidListsItsAtomsOnceHThenCThenN) {
    for (int a = 0; a < 20; a++) {
        const std::vector<residue_atom_t> &atoms = amino_acid_atoms(a);
        std::string order;
        for (std::size_t i = 0; i < atoms.size(); i++) {
            if (order.empty() || order.back() != atoms[i].nucleus) order += atoms[i].nucleus;
            for (std::size_t j = 0; j < i; j++) EXPECT_NE(atoms[i].name, atoms[j].name) << a;
        }
        EXPECT_EQ(order, "HCN") << a;
    }
}

TEST(AtomNames, UnknownTypesKeepTheirNamesAfterTheGeneralRules) {
    const struct {
        const char *name, *kept;
    } cases[] = {{"HN", "H"}, {"QB", "HB%"}, {"QQG", "HG%"}, {"MG1", "HG1%"}, {"HBx", "HBx"}, {"CA", "CA"}, {"M", "M"}};
    for (const auto &c : cases) EXPECT_EQ(unknown_residue_atom_name(c.name), c.kept) << c.name;
}

TEST(AtomNames, UncertainAndNeighbourRows) {
    for (const char *name : {"HB2|HB3", "H@349", "C@542", "CA?"}) EXPECT_TRUE(is_uncertain_atom_name(name)) << name;
    for (const char *name : {"HB2", "HB%", "HBx"}) EXPECT_FALSE(is_uncertain_atom_name(name)) << name;
    EXPECT_TRUE(is_uncertain_identifier("108?"));
    EXPECT_FALSE(is_uncertain_identifier("@13"));
    for (const char *code : {"@13-1", "48-1", "12+1", "SS@12-1"}) EXPECT_TRUE(is_neighbour_sequence_code(code)) << code;
    for (const char *code : {"-3", "24B", "@13", "@@108", "SS@12", "1-"}) EXPECT_FALSE(is_neighbour_sequence_code(code)) << code;
    EXPECT_TRUE(is_neighbour_atom_name("CAi-1"));
    EXPECT_TRUE(is_neighbour_atom_name("CBi+1"));
    EXPECT_FALSE(is_neighbour_atom_name("HB2"));
}

}  // namespace
