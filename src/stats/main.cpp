// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of kestrin-stats.
#include "stats/stats_run.h"

int main(int argc, char **argv) { return kestrin_stats_main(argc, argv); }
