// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics kestrin-assign scores with: read by kestrin's readers, with
// kestrin-assign's own messages, and checked for what would make the scores
// wrong.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "observe/type_statistics.h"

// Reads the atom selection and the statistics file for it, one type per
// amino acid the selection names, in the selection's order. Any fault ends
// with assign_error naming the file: a file that cannot be read, a line
// kestrin refuses, a selected atom the statistics do not describe, a type
// whose atoms are not listed H first, then C, then N.
std::vector<type_statistics_t> read_type_statistics(const std::string &stats_file, const std::string &atoms_file);

// The atoms of the selection file `rule_file` (an atom selection), out of
// the types' own: a type the file does not name keeps no atom. An atom the
// file names that the statistics' selection does not hold ends with
// assign_error.
std::vector<type_statistics_t> selection_of_file(const std::vector<type_statistics_t> &types,
                                                 const std::string &rule_file);

// For the multivariate models: every type's covariances must be positive
// definite (a Cholesky factor exists), or the scores could not be computed;
// a type whose covariances are not ends with assign_error naming it.
void check_covariances(const std::vector<type_statistics_t> &types, const std::string &stats_file);

// Atoms in all types.
int atom_count(const std::vector<type_statistics_t> &types);

// Statistics per secondary-structure class (helix, sheet, coil: the files
// STEM_helix.txt, STEM_sheet.txt and STEM_coil.txt, each for the same atom
// selection), and each type's share of its residues in each class: the
// residues (n_res) each file describes the type from, over the three.
struct class_statistics_t {
    std::array<std::vector<type_statistics_t>, 3> types;  // in the order of structure_classes
    std::array<std::array<double, 3>, 20> share{};        // [amino acid][class]; 0 for a type none describes
    std::string stem;                                     // as named
};
class_statistics_t read_class_statistics(const std::string &stem, const std::string &atoms_file);
