// SPDX-License-Identifier: GPL-3.0-or-later
// Reader of the atom selection file: which atoms of which amino acids take part.
#include <string>
#include <vector>

#include "input/failure.h"
#include "input/readers.h"
#include "input/residue_table.h"
#include "input/text_lines.h"

namespace {

// A line is valid when it is not a comment or empty line and holds at least
// three tokens: code, atom name, atom type.
bool valid_selection_line(const std::string &line, std::vector<std::string> &tokens) {
    if (line.empty() || line[0] == '#' || line[0] == '\n') return false;
    tokens = split_whitespace(line);
    return tokens.size() >= 3;
}

}  // namespace

void read_cs_to_analyse(const parameters_t &params, data_t &data) {
    const std::vector<std::string> lines = READ_FILE_LINES(params.input_atoms_fname);
    read_cs_lines(lines, params.input_atoms_fname->c_str(), data);
}

void read_cs_lines(const std::vector<std::string> &lines, const char *fname, data_t &data, bool warn_repeats) {
    std::vector<std::string> tokens;
    int n = 0;
    for (const std::string &line : lines)
        if (valid_selection_line(line, tokens)) n++;
    if (n == 0) fail("Error: there is no atom types to analyse in file '%s'.\n", fname);

    ALLOCATE(data.cs_keys, n, "(data->cs_keys)");
    ALLOCATE(data.res_num, n, "data->res_num");
    ALLOCATE(data.cs_num, n, "data->cs_num");

    create_residue_table(4 * n + 20);
    init_htbl_AA3();

    int k = 0, last = -1, pos = 0;
    for (const std::string &line : lines) {
        if (!valid_selection_line(line, tokens)) continue;
        data.cs_keys[k] = tokens[0] + " " + tokens[1] + " " + tokens[2];
        if (find_residue_key(data.cs_keys[k]) != nullptr) continue;  // a repeated line

        int *code = find_residue_key(tokens[0]);
        if (code == nullptr) fail("Error: unknown residue '%s' in file '%s'.\n", tokens[0].c_str(), fname);
        if (*code == last) {
            pos++;
        } else {
            // A code already opened would spread its atoms over two types.
            if (*code >= 0)
                fail("Error: residue '%s' appears in more than one block in file '%s'.\n", tokens[0].c_str(),
                     fname);
            pos = 0;
            last++;
            *code = last;
        }
        data.res_num[k] = last;
        data.cs_num[k] = pos;
        if (!enter_residue_key(data.cs_keys[k], pos)) fail("Error while building hash table for input types.\n");
        k++;
    }

    if (k != n && warn_repeats)
        fprintf(stderr,
                "Warning: the number of different entries (%d) is not the same as the number of input types (%d) "
                "in file '%s'\n",
                k, n, fname);
    data.key_num = k;
    data.type_num = last + 1;
    ALLOCATE(data.sdata, data.type_num, "data->sdata");
    for (int e = 0; e < k; e++) data.sdata[data.res_num[e]].atom_num++;
}
