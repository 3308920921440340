// SPDX-License-Identifier: GPL-3.0-or-later
// Reader of the atom selection file: which atoms of which amino acids take part
// (docs/formats.md, "Atom selection").
#include <string>
#include <vector>

#include "input/failure.h"
#include "input/readers.h"
#include "input/residue_table.h"
#include "input/selection_lines.h"
#include "input/text_lines.h"

void read_cs_to_analyse(const parameters_t &params, data_t &data) {
    const std::vector<std::string> lines = READ_FILE_LINES(params.input_atoms_fname);
    read_cs_lines(lines, params.input_atoms_fname->c_str(), data);
}

void read_cs_lines(const std::vector<std::string> &lines, const char *fname, data_t &data, bool warn_repeats) {
    const selection_lines_t read = read_selection_lines(lines);

    const int n = read.word_lines;
    if (n == 0) fail("Error: there is no atom types to analyse in file '%s'.\n", fname);

    ALLOCATE(data.cs_keys, n, "(data->cs_keys)");
    ALLOCATE(data.res_num, n, "data->res_num");
    ALLOCATE(data.cs_num, n, "data->cs_num");

    create_residue_table(4 * n + 20);
    init_htbl_AA3();

    if (read.fault == selection_fault_t::unknown_residue)
        fail("Error: unknown residue '%s' in file '%s'.\n", read.fault_code.c_str(), fname);
    // A code already opened would spread its atoms over two types.
    if (read.fault == selection_fault_t::repeated_block)
        fail("Error: residue '%s' appears in more than one block in file '%s'.\n", read.fault_code.c_str(), fname);

    int k = 0;
    for (const selection_entry_t &entry : read.entries) {
        data.cs_keys[k] = entry.code + " " + entry.name + " " + entry.type;
        *find_residue_key(entry.code) = entry.type_index;
        data.res_num[k] = entry.type_index;
        data.cs_num[k] = entry.position;
        if (!enter_residue_key(data.cs_keys[k], entry.position))
            fail("Error while building hash table for input types.\n");
        k++;
    }

    if (k != n && warn_repeats)
        fprintf(stderr,
                "Warning: the number of different entries (%d) is not the same as the number of input types (%d) "
                "in file '%s'\n",
                k, n, fname);
    data.key_num = k;
    data.type_num = static_cast<int>(read.codes.size());
    ALLOCATE(data.sdata, data.type_num, "data->sdata");
    for (int e = 0; e < k; e++) data.sdata[data.res_num[e]].atom_num++;
}
