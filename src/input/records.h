// SPDX-License-Identifier: GPL-3.0-or-later
// The plain records of one run: settings, the selected types' statistics and
// the spin systems with their scores. Every other folder includes this header.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "input/matrix.h"

// Three-letter and one-letter codes of the 20 amino acids, in the same order.
extern const char *const AA3[20];
extern const char AA1[21];

struct parameters_t {
    std::optional<std::string> Corvane_fname;      // statistics file (-sf); absent until given
    std::optional<std::string> input_atoms_fname;  // atom selection file (-af); absent until given
    int full_perm_indep = 0;                       // 1: run the full-permutation independent model
    int full_perm_dep = 0;                         // 1: run the full-permutation MVND model
    int select_perm_indep = 0;                     // 1: run the selected-permutation independent model
    int select_perm_dep = 0;                       // 1: run the selected-permutation MVND model
    std::optional<std::string> table_fname;        // table of every score (--table); "-" is standard output
    std::optional<std::string> plot_fname;         // heat-map picture, SVG (--plot); "-" is standard output
    int threads = 0;                               // threads of the model passes (--threads); 0 until given
};

struct stat_data_t {
    int H_num = 0;               // selected H atoms described by the statistics file
    int C_num = 0;               // the same for C
    int N_num = 0;               // the same for N
    int atom_num = 0;            // selected atoms of the type
    std::vector<double> mean;    // mean shift per atom position, ppm
    std::vector<double> std_dev; // standard deviation per atom position, ppm
    std::vector<double> miss;    // probability (0..1) that the atom's shift is missing
    matrix_t<double> cov;        // atom_num × atom_num covariances, ppm²
    std::vector<char> atom_type; // nucleus letter per atom position: 'H', 'C' or 'N'
};

struct value_data_t {
    int res_type = 0;           // type index of the declared type, or -1 for none of the 20 codes
    int H_num = 0;              // observed H shifts
    int C_num = 0;              // observed C shifts
    int N_num = 0;              // observed N shifts
    int total_num = 0;          // H_num + C_num + N_num
    std::vector<double> H_val;  // H shifts in input order, ppm
    std::vector<double> C_val;  // C shifts in input order, ppm
    std::vector<double> N_val;  // N shifts in input order, ppm
    std::vector<double> proba;  // score of each selected type under the model run last
    double score_floor = 0.0;   // 0, or a lower bound of the best score among the spin system's
                                // types: the dependent models' walks then skip against the
                                // larger of it and the pair's own score (row_walk.cpp)
    std::string declared;       // the three characters the begin line declares as its type, as read
    std::string name;           // the begin line's name="..." text, as read; empty when it has none
};

struct data_t {
    std::vector<std::string> cs_keys;  // "code atom type" of each distinct selection entry
    std::vector<int> res_num;          // type index of each entry
    std::vector<int> cs_num;           // position of each entry's atom within its type
    int type_num = 0;                  // selected residue types; length of sdata and of every proba
    int key_num = 0;                   // distinct selection entries
    int spin_num = 0;                  // spin systems stored in vdata
    std::vector<stat_data_t> sdata;    // statistics by type index
    std::vector<value_data_t> vdata;   // spin systems in input order
};

// Returns the record with every field zero or absent.
parameters_t &init_parameters(parameters_t &params);
