// SPDX-License-Identifier: GPL-3.0-or-later
// The mechanical flags.
#include "assign/flags.h"

std::vector<std::string> mechanical_flags(const flag_facts_t &facts) {
    std::vector<std::string> flags;
    if (facts.shifts == 0)
        flags.push_back("no_shifts");
    else if (facts.shifts < few_shifts_below)
        flags.push_back("few_shifts");
    for (const std::string &value : facts.impossible) flags.push_back("impossible_value:" + value);
    if (facts.shifts > 0 && !facts.any_type_fits) flags.push_back("no_fit");
    if (facts.shifts > 0 && facts.any_type_fits && facts.best_observed_share < sparse_share_below)
        flags.push_back("sparse");
    return flags;
}

std::string joined_flags(const std::vector<std::string> &flags) {
    std::string text;
    for (const std::string &flag : flags) text += (text.empty() ? "" : ",") + flag;
    return text;
}

std::string flag_name(const std::string &flag) { return flag.substr(0, flag.find(':')); }
