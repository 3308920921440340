// SPDX-License-Identifier: GPL-3.0-or-later
// The names of the default statistics and atom selections in the default
// data folder, one pair per atom set. They are built from the RefDB entries
// of data/refdb (scripts/rebuild-refdb-statistics.sh); the installation
// copies every file named here (cmake/packaging.cmake reads this header).
#pragma once

// A statistics file and the atom selection it was built with.
struct default_statistics_t {
    const char *statistics;  // -sf file, in the default data folder
    const char *atoms;       // -af file, in the default data folder
};

// Backbone atoms: H, HA (GLY HA2, HA3), C, CA, CB, N.
inline constexpr default_statistics_t default_backbone_statistics = {"stats_refdb_backbone.txt",
                                                                     "atoms_refdb_backbone.txt"};
// Every atom that the measurements keep (README, "Default statistics").
inline constexpr default_statistics_t default_full_statistics = {"stats_refdb_full.txt", "atoms_refdb_full.txt"};

// The statistics per secondary-structure class of each set (STEM_helix.txt,
// STEM_sheet.txt, STEM_coil.txt, for the set's atom selection), which
// kestrin-assign mixes by default with the set's statistics.
struct default_class_statistics_t {
    const char *stem;       // the set's statistics file without its extension
    const char *files[3];   // helix, sheet, coil
};
inline constexpr default_class_statistics_t default_backbone_classes = {
    "stats_refdb_backbone",
    {"stats_refdb_backbone_helix.txt", "stats_refdb_backbone_sheet.txt", "stats_refdb_backbone_coil.txt"}};
inline constexpr default_class_statistics_t default_full_classes = {
    "stats_refdb_full", {"stats_refdb_full_helix.txt", "stats_refdb_full_sheet.txt", "stats_refdb_full_coil.txt"}};

// Every default pair, for the installation and its checks.
inline constexpr default_statistics_t default_statistics_files[] = {default_backbone_statistics,
                                                                    default_full_statistics};
