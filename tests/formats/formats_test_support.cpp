// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the format tests' real files.
#include "formats_test_support.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

std::string formats_data(const std::string &name) {
    std::ifstream file(std::string(KESTRIN_FORMATS_DATA_DIR) + "/" + name, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read test data " + name);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}
