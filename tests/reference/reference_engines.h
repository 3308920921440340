// SPDX-License-Identifier: GPL-3.0-or-later
// The four models computed the straightforward way: every attachment
// enumerated with fresh work objects, as the models define them. The fast
// engines must agree with these; they are kept for tests and benchmarks only.
#pragma once

#include "input/records.h"

namespace reference {

double full_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s);
double select_perm_indep_proba(const value_data_t &v, const stat_data_t &s);
double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s);

}  // namespace reference
