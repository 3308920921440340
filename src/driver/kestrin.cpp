// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed sequence of a run: settings, the three readers, the model passes.
#include "driver/kestrin.h"

#include "driver/command_line.h"
#include "driver/progress.h"
#include "engines/engines.h"
#include "input/failure.h"
#include "input/readers.h"
#include "output/output_file.h"
#include "report/run_outputs.h"

namespace {

// One model pass with its progress line, then its report and other outputs.
void run_pass(const char *option, void (*pass)(data_t &, const pass_progress_t &, int), data_t &data, int threads,
              run_outputs_t &outputs) {
    progress_line_t line;
    start_progress_line(line, option);
    pass(data, {update_progress_line, &line}, threads);
    end_progress_line(line);
    outputs.add_pass(option, data);
}

}  // namespace

void read_run_inputs(int argc, char **argv, parameters_t &params, data_t &data) {
    init_parameters(params);
    process_command_line(argc, argv, params);
    read_cs_to_analyse(params, data);
    read_stats(params, data);
    read_input_values(data);
}

int kestrin_main(int argc, char **argv) {
    try {
        keep_standard_descriptors_open();
        parameters_t params;
        data_t data;
        read_run_inputs(argc, argv, params, data);
        const int threads = params.threads > 0 ? params.threads : available_processors();
        run_outputs_t outputs(params);
        if (params.full_perm_indep == 1) run_pass("-cfpi", calculate_full_perm_indep_probas, data, threads, outputs);
        if (params.full_perm_dep == 1) run_pass("-cfpd", calculate_full_perm_dep_probas, data, threads, outputs);
        if (params.select_perm_indep == 1)
            run_pass("-cspi", calculate_select_perm_indep_probas, data, threads, outputs);
        if (params.select_perm_dep == 1) run_pass("-cspd", calculate_select_perm_dep_probas, data, threads, outputs);
        outputs.finish(data);
        return 0;
    } catch (const run_ended &end) {
        return end.status;
    } catch (const std::bad_alloc &) {
        return report_memory_exhausted("Unable to allocate memory");
    }
}
