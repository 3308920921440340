// SPDX-License-Identifier: GPL-3.0-or-later
// kestrin-assign's placement stage: the spin systems to predict placed in
// the sequence (placement/), from their type scores, the scores of the
// shifts they saw for the residue before, their links and the file's
// connected stretches.
#pragma once

#include <string>
#include <vector>

#include "assign/assign_results.h"
#include "formats/spin_systems.h"
#include "observe/type_statistics.h"

// Places the spin systems to predict that were scored in run.sequence,
// those the file assigns (and that are not predicted) kept at their
// residues; fills each spin result's position fields and run.placement.
// `types` are the statistics read (the shifts of the residue before are
// scored with the atoms those shifts show), `connected` the file's
// stretches. Notes what was done on `messages`. Nothing happens without a
// sequence.
void place_run(run_result_t &run, const std::vector<connected_stretch_t> &connected,
               const std::vector<type_statistics_t> &types, int threads, std::string &messages);
