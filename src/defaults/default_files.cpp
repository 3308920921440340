// SPDX-License-Identifier: GPL-3.0-or-later
// Default data files, found relative to the running program.
#include "defaults/default_files.h"

#include "defaults/default_statistics.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

bool is_regular_file(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

const char *const default_data_folder = "../share/kestrin";
const char *const default_statistics_name = default_full_statistics.statistics;
const char *const default_atoms_name = default_full_statistics.atoms;
const char *const default_classes_stem = default_full_classes.stem;

std::optional<std::string> running_program_folder() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
    const std::string program(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = program.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    return slash == 0 ? std::string("/") : program.substr(0, slash);
}

std::optional<std::string> default_data_file_for(const std::string &program_folder, const std::string &name) {
    const std::string installed = program_folder + "/" + default_data_folder + "/" + name;
    if (is_regular_file(installed)) return installed;
    if (is_regular_file(program_folder + "/CMakeCache.txt")) {
        const std::string source = std::string(KESTRIN_SOURCE_DATA_DIR) + "/" + name;
        if (is_regular_file(source)) return source;
    }
    return std::nullopt;
}

std::optional<std::string> default_data_file(const std::string &name) {
    const std::optional<std::string> folder = running_program_folder();
    if (!folder) return std::nullopt;
    return default_data_file_for(*folder, name);
}
