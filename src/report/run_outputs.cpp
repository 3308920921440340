// SPDX-License-Identifier: GPL-3.0-or-later
// The run's outputs: reports, table rows and heat maps after each pass.
#include "report/run_outputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include "input/failure.h"
#include "report/report.h"
#include "report/table.h"

namespace {

// The file that standard input was redirected from, by its last path
// component, or "standard input" for a pipe or a terminal.
std::string standard_input_name() {
    struct stat info;
    char path[4096];
    if (fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) return "standard input";
    const ssize_t length = readlink("/proc/self/fd/0", path, sizeof path - 1);
    if (length <= 0) return "standard input";
    const std::string name(path, static_cast<std::size_t>(length));
    return name.substr(name.rfind('/') + 1);
}

}  // namespace

run_outputs_t::run_outputs_t(const parameters_t &params) {
    const bool table_out = params.table_fname && identify_output(*params.table_fname).standard_output;
    const bool plot_out = params.plot_fname && identify_output(*params.plot_fname).standard_output;
    if (params.table_fname) table_ = &files_.add(*params.table_fname, "--table");
    // Each of them replaces the reports there; together they would mix.
    if (table_out && plot_out) fail("Error: the table and the picture cannot both be written on standard output.\n");
    if (params.plot_fname) plot_ = &files_.add(*params.plot_fname, "--plot");
    reports_ = !table_out && !plot_out;
    if (table_) write_table_header(table_->stream());
    picture_.inputs = "spin systems " + standard_input_name() + ", statistics " + params.Corvane_fname.value_or("") +
                      ", atoms " + params.input_atoms_fname.value_or("");
}

void run_outputs_t::add_pass(const char *option, const data_t &data) {
    const char *model = option + 1;
    if (reports_) print_probas(data);
    if (table_) write_table_rows(table_->stream(), model, data);
    if (plot_) add_heat_map(picture_, model, data);
    check_standard_output();
}

void run_outputs_t::finish(const data_t &data) {
    if (plot_) write_plot(plot_->stream(), picture_, data);
    // Both written out before either is renamed: a full disk leaves neither.
    files_.commit();
    check_standard_output();
}
