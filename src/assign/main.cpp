// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of kestrin-assign.
#include "assign/assign_run.h"

int main(int argc, char **argv) { return kestrin_assign_main(argc, argv); }
