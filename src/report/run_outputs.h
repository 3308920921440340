// SPDX-License-Identifier: GPL-3.0-or-later
// Where a run's results go: the reports on standard output, the table and
// the picture into the files named on the command line.
#pragma once

#include "input/records.h"
#include "output/output_file.h"
#include "report/plot.h"

class run_outputs_t {
public:
    // Creates the table's and the picture's temporary files and writes the
    // table's header, so that an unwritable name, or one file named for both,
    // ends the run before any model runs.
    explicit run_outputs_t(const parameters_t &params);

    // After a model pass ("-cfpi", ...): its report, unless the table or the
    // picture takes standard output; its table rows; its heat map. A failed
    // write on standard output ends the run.
    void add_pass(const char *option, const data_t &data);

    // After the last pass: draws the picture and completes both files, both
    // written out before either replaces its file.
    void finish(const data_t &data);

private:
    output_set_t files_{standard_output_use_t::streamed};  // the reports follow each pass
    output_file_t *table_ = nullptr;  // absent without --table
    output_file_t *plot_ = nullptr;   // absent without --plot
    plot_t picture_;                        // the heat maps kept until the picture is drawn
    bool reports_ = true;                   // the reports go to standard output
};
