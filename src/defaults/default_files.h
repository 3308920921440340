// SPDX-License-Identifier: GPL-3.0-or-later
// Where the programs find the data they use by default (statistics, atom
// selections, calibration tables): installed beside the program, or in the
// source tree when the program runs from its build folder.
#pragma once

#include <optional>
#include <string>

// The folder, relative to the folder of the installed program, that holds
// the default data ("../share/kestrin"), as `cmake --install` and the Debian
// package lay it out.
extern const char *const default_data_folder;

// The statistics and atom selection that kestrin-assign uses when no -sf and
// -af are given, by their names in the default data folder.
extern const char *const default_statistics_name;
extern const char *const default_atoms_name;
// The stem of the default statistics per secondary-structure class, for the
// default atom selection (STEM_helix.txt, STEM_sheet.txt, STEM_coil.txt).
extern const char *const default_classes_stem;

// The folder of the running program (from /proc/self/exe); none when the
// system does not say.
std::optional<std::string> running_program_folder();

// The full name of the default data file NAME for a program in
// PROGRAM_FOLDER: PROGRAM_FOLDER/../share/kestrin/NAME when that file
// exists; otherwise, when PROGRAM_FOLDER is a build folder of this source
// tree (it holds CMakeCache.txt), the source tree's data/NAME when that
// exists; otherwise none. An installed program never looks into the source
// tree, so a relocated installation finds its own files and nothing else.
std::optional<std::string> default_data_file_for(const std::string &program_folder, const std::string &name);

// default_data_file_for the running program.
std::optional<std::string> default_data_file(const std::string &name);
