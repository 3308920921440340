// SPDX-License-Identifier: GPL-3.0-or-later
// Checked standard output and files replaced atomically by rename.
#include "output/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "input/failure.h"

namespace {

[[noreturn]] void fail_standard_output(int error) {
    fail("Error: cannot write standard output: %s\n", strerror(error));
}

// True when the name exists and is something other than a regular file, which
// rename would replace instead of writing into (a device, a FIFO).
bool is_special_file(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// True when the name, links followed, is the file open as standard output.
bool is_standard_output(const std::string &path) {
    struct stat named, out;
    return stat(path.c_str(), &named) == 0 && fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
           named.st_ino == out.st_ino;
}

// The name whose directory entry a rename replaces: a symbolic link's
// target, so that the link survives; the name itself otherwise.
std::string replaced_name(const std::string &path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char *target = realpath(path.c_str(), nullptr);
    if (target == nullptr) return path;
    const std::string resolved = target;
    free(target);
    return resolved;
}

// Creates a new, empty temporary file beside `path`, readable as the umask
// allows, and returns its descriptor; `temporary` receives its name.
int create_temporary_beside(const std::string &path, std::string &temporary) {
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; attempt++) {
        temporary = directory + "." + base + "." + std::to_string(getpid()) + "." + std::to_string(attempt) + ".tmp";
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

void check_standard_output() {
    errno = 0;
    if (fflush(stdout) != 0) fail_standard_output(errno != 0 ? errno : EIO);
    // An earlier implicit flush may have failed and left the buffer empty.
    if (ferror(stdout)) fail_standard_output(EIO);
}

void keep_standard_descriptors_open() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Opened the wrong way round, so that reading or writing fails as on a closed descriptor.
        const int held = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (held >= 0 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}

void write_standard_output(const std::string &text) {
    if (!text.empty() && fwrite(text.data(), 1, text.size(), stdout) != text.size()) fail_standard_output(errno);
    check_standard_output();
}

output_file_t::output_file_t(const std::string &path) : path_(path) {
    if (path == "-" || is_standard_output(path)) {
        to_standard_output_ = true;
        stream_ = stdout;
        return;
    }
    int fd;
    if (is_special_file(path)) {
        fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    } else {
        replaced_ = replaced_name(path);
        fd = create_temporary_beside(replaced_, temporary_);
        if (fd < 0) temporary_.clear();
    }
    if (fd < 0) fail_write(errno);
    stream_ = fdopen(fd, "w");
    if (stream_ == nullptr) {
        const int error = errno;
        close(fd);
        fail_write(error);
    }
}

output_file_t::~output_file_t() {
    if (stream_ != nullptr && !to_standard_output_) fclose(stream_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

void output_file_t::write_out() {
    if (to_standard_output_) {
        check_standard_output();
        return;
    }
    if (stream_ == nullptr) return;
    errno = 0;
    const bool written = fflush(stream_) == 0 && !ferror(stream_);
    int error = errno != 0 ? errno : EIO;
    // The data must be on disk before the rename makes it the file's content.
    const bool synced = written && (temporary_.empty() || fsync(fileno(stream_)) == 0 || errno == EINVAL);
    if (written && !synced) error = errno;
    FILE *stream = stream_;
    stream_ = nullptr;
    const bool closed = fclose(stream) == 0;
    if (written && synced && !closed) error = errno;
    if (!(written && synced && closed)) fail_write(error);
}

void output_file_t::commit() {
    write_out();
    if (!temporary_.empty()) {
        if (rename(temporary_.c_str(), replaced_.c_str()) != 0) fail_write(errno);
        temporary_.clear();
    }
}

void output_file_t::fail_write(int error) {
    if (stream_ != nullptr && !to_standard_output_) fclose(stream_);
    stream_ = nullptr;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
    fail("Error: cannot write '%s': %s\n", path_.c_str(), strerror(error));
}
