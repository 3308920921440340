// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of kestrin.
#include "driver/kestrin.h"

int main(int argc, char **argv) { return kestrin_main(argc, argv); }
