// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of kestrin-spins.
#include "spins/spins_run.h"

int main(int argc, char **argv) { return kestrin_spins_main(argc, argv); }
