// SPDX-License-Identifier: GPL-3.0-or-later
// The real files of tests/formats/data, read for the format tests.
#pragma once

#include <string>

// The whole content of the named file of tests/formats/data.
std::string formats_data(const std::string &name);
