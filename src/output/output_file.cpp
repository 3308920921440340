// SPDX-License-Identifier: GPL-3.0-or-later
// Checked standard output, files gathered in memory and replaced atomically
// by rename, and the sets of outputs of one run.
#include "output/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "input/failure.h"

namespace {

[[noreturn]] void fail_standard_output(int error) {
    fail("Error: cannot write standard output: %s\n", strerror(error));
}

// The directory part of a name, with its slash ("a/b/" of "a/b/c"); empty
// for a name without one.
std::string directory_of(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The name with every symbolic link of its last component followed, as far
// as the links lead (a dangling link gives the name it points to).
std::string followed_links(const std::string &path) {
    std::string name = path;
    for (int hops = 0; hops < 40; hops++) {
        struct stat info;
        if (lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char target[PATH_MAX];
        const ssize_t length = readlink(name.c_str(), target, sizeof target - 1);
        if (length <= 0) break;
        const std::string to(target, static_cast<std::size_t>(length));
        name = to[0] == '/' ? to : directory_of(name) + to;
    }
    return name;
}

// An absolute name of the same place: its directory resolved, its last
// component as it is; the name itself when the directory does not resolve.
std::string absolute_name(const std::string &path) {
    const std::string directory = directory_of(path);
    char *resolved = realpath(directory.empty() ? "." : directory.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string absolute = resolved;
    free(resolved);
    if (absolute.back() != '/') absolute += '/';
    return absolute + path.substr(directory.size());
}

// Creates a new, empty temporary file in the directory of `path`, as the
// umask allows, and returns its descriptor; `temporary` receives its name.
// The name is short whatever the final name's length.
int create_temporary_beside(const std::string &path, std::string &temporary) {
    const std::string directory = directory_of(path);
    for (int attempt = 0; attempt < 100; attempt++) {
        temporary = directory + ".kestrin-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes the whole block; false with errno set when a write fails.
bool write_all(int fd, const char *text, std::size_t size) {
    while (size > 0) {
        const ssize_t done = write(fd, text, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
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

output_identity_t identify_output(const std::string &path) {
    output_identity_t identity;
    struct stat named, out;
    const bool out_known = fstat(STDOUT_FILENO, &out) == 0;
    if (path == "-") {
        identity.standard_output = true;
        identity.resolved = "-";
        if (!out_known) return identity;
        named = out;
    } else {
        identity.resolved = absolute_name(followed_links(path));
        if (stat(path.c_str(), &named) != 0) return identity;
        identity.standard_output = out_known && named.st_dev == out.st_dev && named.st_ino == out.st_ino;
    }
    identity.exists = true;
    identity.device = S_ISCHR(named.st_mode);
    identity.dev = named.st_dev;
    identity.ino = named.st_ino;
    return identity;
}

bool same_output(const output_identity_t &a, const output_identity_t &b) {
    if (a.exists && b.exists) return a.dev == b.dev && a.ino == b.ino && !(a.device && b.device);
    return a.resolved == b.resolved;
}

output_file_t::output_file_t(const std::string &path, standard_output_use_t use)
    : path_(path), identity_(identify_output(path)) {
    if (identity_.standard_output && use == standard_output_use_t::streamed) {
        stream_ = stdout;
        return;
    }
    if (!identity_.standard_output) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            fd_ = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        } else {
            replaced_ = followed_links(path);
            fd_ = create_temporary_beside(replaced_, temporary_);
            if (fd_ < 0) temporary_.clear();
            // The replaced file's permissions carry over to its new content.
            if (fd_ >= 0 && identity_.exists && fchmod(fd_, info.st_mode & 07777) != 0) fail_write(errno);
        }
        if (fd_ < 0) fail_write(errno);
    }
    stream_ = open_memstream(&gathered_, &gathered_size_);
    if (stream_ == nullptr) fail_write(errno);
    memory_ = true;
}

output_file_t::~output_file_t() { discard(); }

void output_file_t::discard() {
    if (memory_) fclose(stream_);
    memory_ = false;
    stream_ = nullptr;
    free(gathered_);
    gathered_ = nullptr;
    gathered_size_ = 0;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}

void output_file_t::write_out() {
    if (written_out_) return;
    written_out_ = true;
    if (!memory_) {
        check_standard_output();
        return;
    }
    // The memory stream fails only for want of memory.
    errno = 0;
    if (fflush(stream_) != 0 || ferror(stream_)) fail_write(errno != 0 ? errno : ENOMEM);
    if (identity_.standard_output) return;
    if (!write_all(fd_, gathered_, gathered_size_)) fail_write(errno);
    // The data must be on disk before the rename makes it the file's content.
    if (!temporary_.empty() && fsync(fd_) != 0 && errno != EINVAL) fail_write(errno);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) fail_write(errno);
}

void output_file_t::commit() {
    write_out();
    if (identity_.standard_output && memory_) {
        if (gathered_size_ > 0 && fwrite(gathered_, 1, gathered_size_, stdout) != gathered_size_)
            fail_standard_output(errno);
        check_standard_output();
    }
    if (!temporary_.empty()) {
        if (rename(temporary_.c_str(), replaced_.c_str()) != 0) fail_write(errno);
        temporary_.clear();
    }
    discard();
}

void output_file_t::fail_write(int error) {
    discard();
    if (identity_.standard_output) fail_standard_output(error);
    fail("Error: cannot write '%s': %s\n", path_.c_str(), strerror(error));
}

output_file_t &output_set_t::add_standard_output() { return add("-", "standard output"); }

output_file_t &output_set_t::add(const std::string &path, const std::string &option) {
    const output_identity_t identity = identify_output(path);
    for (std::size_t i = 0; i < outputs_.size(); i++)
        if (same_output(outputs_[i]->identity(), identity))
            fail("Error: %s and %s name the same file '%s'.\n", options_[i].c_str(), option.c_str(), path.c_str());
    outputs_.push_back(std::make_unique<output_file_t>(path, use_));
    options_.push_back(option);
    return *outputs_.back();
}

void output_set_t::commit() {
    // Every file is on disk beside its final name before standard output gets
    // a byte; the renames, which need no space, come last, so that a failure
    // of standard output leaves every file as it was, too.
    for (auto &output : outputs_)
        if (!output->writes_standard_output()) output->write_out();
    for (auto &output : outputs_)
        if (output->writes_standard_output()) output->commit();
    for (auto &output : outputs_)
        if (!output->writes_standard_output()) output->commit();
}
