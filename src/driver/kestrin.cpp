// The fixed sequence of a run: settings, the three readers, the model passes.
#include "driver/kestrin.h"

#include "driver/command_line.h"
#include "engines/engines.h"
#include "input/failure.h"
#include "input/readers.h"
#include "report/report.h"

int kestrin_main(int argc, char **argv) {
    try {
        parameters_t params;
        data_t data;
        init_parameters(params);
        process_command_line(argc, argv, params);
        read_cs_to_analyse(params, data);
        read_stats(params, data);
        read_input_values(data);
        if (params.full_perm_indep == 1) {
            calculate_full_perm_indep_probas(data);
            print_probas(data);
        }
        if (params.full_perm_dep == 1) {
            calculate_full_perm_dep_probas(data);
            print_probas(data);
        }
        if (params.select_perm_indep == 1) {
            calculate_select_perm_indep_probas(data);
            print_probas(data);
        }
        if (params.select_perm_dep == 1) {
            calculate_select_perm_dep_probas(data);
            print_probas(data);
        }
        return 0;
    } catch (const run_ended &end) {
        return end.status;
    }
}
