// SPDX-License-Identifier: GPL-3.0-or-later
// Residue tables: the amino-acid codes and the process-wide key table.
#include "input/residue_table.h"

#include <unordered_map>

#include "input/failure.h"
#include "input/records.h"

const char *const AA3[20] = {"ALA", "ARG", "ASP", "ASN", "CYS", "GLU", "GLN", "GLY", "HIS", "ILE",
                             "LEU", "LYS", "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL"};
const char AA1[21] = "ARDNCEQGHILKMFPSTWYV";

namespace {
std::unordered_map<std::string, int> table;
std::size_t table_capacity = 0;
}  // namespace

void create_residue_table(int capacity) {
    table.clear();
    table_capacity = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
}

bool enter_residue_key(const std::string &key, int value) {
    if (table.size() >= table_capacity) return false;
    return table.emplace(key, value).second;
}

int *find_residue_key(const std::string &key) {
    auto found = table.find(key);
    return found == table.end() ? nullptr : &found->second;
}

void init_htbl_AA3() {
    for (const char *code : AA3)
        if (!enter_residue_key(code, -2)) fail("Error while building hash table for AA3.\n");
}

parameters_t &init_parameters(parameters_t &params) {
    params = parameters_t{};
    return params;
}
