// SPDX-License-Identifier: GPL-3.0-or-later
// The shifts of one spin system, per nucleus, as they are scored.
#pragma once

#include <vector>

// The shifts of one spin system that are scored, ppm, per nucleus.
struct shift_values_t {
    std::vector<double> h;
    std::vector<double> c;
    std::vector<double> n;

    int count() const { return static_cast<int>(h.size() + c.size() + n.size()); }
};
