// SPDX-License-Identifier: GPL-3.0-or-later
// Prints where the running program finds each default statistics and atom
// selection file, one "NAME<tab>PATH" line each (PATH "none" when it finds
// none), for the check of an installed, then moved, tree.
#include <cstdio>
#include <optional>
#include <string>

#include "defaults/default_files.h"
#include "defaults/default_statistics.h"

int main() {
    for (const default_statistics_t &pair : default_statistics_files)
        for (const char *name : {pair.statistics, pair.atoms}) {
            const std::optional<std::string> path = default_data_file(name);
            printf("%s\t%s\n", name, path ? path->c_str() : "none");
        }
    return 0;
}
