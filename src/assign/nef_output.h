// SPDX-License-Identifier: GPL-3.0-or-later
// The predictions as a NEF save frame of this program's own namespace, added
// to the NEF file read, or in a NEF file of its own beside the shift list
// read from another format.
#pragma once

#include <string>

#include "assign/assign_results.h"

// The value as a STAR value: bare when it can be, else in single or double
// quotes, else as a text field; the empty text as ''. A value that no STAR
// form can hold (a line starting with ';' inside a multi-line value) throws
// assign_error.
std::string star_value(const std::string &text);

// The frame's category, and the category of its loop.
extern const char *const predictions_category;
extern const char *const prediction_loop_category;

// The NEF text read, unchanged, followed by the predictions frame (framecode
// kestrin_residue_type_predictions, or with _2, _3, ... when the file already
// holds one by that name).
std::string nef_with_predictions(const std::string &input_text, const run_result_t &run);

// A NEF file of the run: the metadata frame (creation date from
// SOURCE_DATE_EPOCH when set, else now), the molecular system (the sequence,
// or the assigned spin systems without one), the shift list read, and the
// predictions frame.
std::string nef_of_run(const std::string &input_text, const run_result_t &run);
