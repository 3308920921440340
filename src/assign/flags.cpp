// SPDX-License-Identifier: GPL-3.0-or-later
// The flags of a spin system.
#include "assign/flags.h"

std::vector<std::string> spin_flags(const flag_facts_t &facts) {
    std::vector<std::string> flags;
    if (facts.shifts == 0)
        flags.push_back("no_shifts");
    else if (facts.shifts < few_shifts_below)
        flags.push_back("few_shifts");
    for (const std::string &value : facts.impossible) flags.push_back("impossible_value:" + value);
    for (const std::string &value : facts.conflicting) flags.push_back("conflicting_shift:" + value);
    const bool fits = facts.any_type_fits && facts.best_type_fits;
    if (facts.shifts > 0 && !fits) flags.push_back("no_fit");
    for (const std::string &value : facts.far) flags.push_back("far_shift:" + value);
    if (facts.shifts > 0 && fits && facts.best_observed_share < sparse_share_below)
        flags.push_back("sparse");
    return flags;
}

std::string joined_flags(const std::vector<std::string> &flags) {
    std::string text;
    for (const std::string &flag : flags) text += (text.empty() ? "" : ",") + flag;
    return text;
}

std::string flag_name(const std::string &flag) { return flag.substr(0, flag.find(':')); }
