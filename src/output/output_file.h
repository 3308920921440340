// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs that are written whole or not at all: standard output checked for
// write errors, and named files gathered in memory, written beside their final
// name and renamed into place only when complete.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Flushes standard output; a write that failed now or earlier (a full disk,
// a closed descriptor, a pipe whose reader left while SIGPIPE is ignored)
// ends the run with "Error: cannot write standard output: REASON".
void check_standard_output();

// Writes the text to standard output and checks it as above.
void write_standard_output(const std::string &text);

// Occupies any of the descriptors 0, 1 and 2 that is closed with one that
// refuses input and output, so that no file opened later takes its number:
// the reports of a run started with ">&-" must fail, not land in a table.
void keep_standard_descriptors_open();

// Which file an output name stands for, so that two names of one file are
// recognised: by device and inode where the file exists, by its path with
// every symbolic link followed otherwise.
struct output_identity_t {
    bool standard_output = false;  // "-", or a name of the file standard output is (/dev/stdout, /proc/self/fd/1)
    bool exists = false;           // the name, links followed, is an existing file
    bool device = false;           // a character device (/dev/null, a terminal): any number of outputs may share it
    dev_t dev = 0;                 // its device, when it exists
    ino_t ino = 0;                 // its inode, when it exists
    std::string resolved;          // absolute path, links followed as far as they lead; the name itself if not
};

output_identity_t identify_output(const std::string &path);

// True when writing both would lose or mix one of them.
bool same_output(const output_identity_t &a, const output_identity_t &b);

// Where an output naming standard output sends its text: straight to the
// stream as it is written (kestrin's reports follow each pass), or gathered
// and written when the output is committed.
enum class standard_output_use_t { streamed, gathered };

// A named output. The constructor creates a temporary file in the directory
// of the final name, so that an unwritable path fails before any work is
// done; the text written to stream() is kept in memory. write_out() writes it
// to the temporary and syncs it; commit() then renames it over the final name.
// A file that is never committed (the run failed) is removed, and whatever
// stood under the final name stays as it was. A replaced file keeps its
// permissions. A final name that exists and is not a regular file (a FIFO, a
// terminal) is written directly, since it cannot be replaced. A symbolic link
// stays in place, dangling or not: the file it points to is written. The name
// "-", and any name of the file that standard output is (/dev/stdout), mean
// standard output. Temporary names are short (".kestrin-PID-N.tmp"), so any
// final name the file system accepts works.
class output_file_t {
public:
    explicit output_file_t(const std::string &path,
                           standard_output_use_t use = standard_output_use_t::streamed);
    ~output_file_t();
    output_file_t(const output_file_t &) = delete;
    output_file_t &operator=(const output_file_t &) = delete;

    FILE *stream() const { return stream_; }
    // Appends the text to the stream, NUL bytes included; a failure shows at write_out().
    void write(const std::string &text) { fwrite(text.data(), 1, text.size(), stream_); }
    bool writes_standard_output() const { return identity_.standard_output; }
    const std::string &path() const { return path_; }
    const output_identity_t &identity() const { return identity_; }

    // Writes the text out where it cannot yet replace anything: into the
    // temporary (synced and closed), into a special file, or nowhere for
    // standard output. A failure ends the run with
    // "Error: cannot write 'PATH': REASON" and leaves no temporary behind.
    void write_out();
    // Completes the output: write_out() if not done, then the rename, or the
    // gathered text written to standard output.
    void commit();

private:
    [[noreturn]] void fail_write(int error);
    void discard();

    std::string path_;       // the final name, as given
    output_identity_t identity_;
    std::string replaced_;   // the name the temporary is renamed to: path_, or where its links lead
    std::string temporary_;  // the temporary's name; empty when written directly or done
    int fd_ = -1;            // the temporary, or the special file written directly
    FILE *stream_ = nullptr; // where the text goes: a memory stream, or stdout when streamed
    char *gathered_ = nullptr;      // the memory stream's text
    std::size_t gathered_size_ = 0;
    bool memory_ = false;    // stream_ is the memory stream
    bool written_out_ = false;
};

// The outputs of one run, named on its command line or standard output: none
// is written before all are complete; every file is written out (synced
// beside its final name) before standard output gets a byte; the renames,
// which need no space, come last. A failure anywhere therefore leaves
// standard output empty (when gathered) and every file as it was. Two
// outputs naming one file are refused when added.
class output_set_t {
public:
    explicit output_set_t(standard_output_use_t use = standard_output_use_t::gathered) : use_(use) {}
    output_set_t(const output_set_t &) = delete;
    output_set_t &operator=(const output_set_t &) = delete;

    // The program's standard output as an output of the set.
    output_file_t &add_standard_output();
    // The named output; `option` names it in messages ("--table"). A name of
    // a file that another output of the set writes ends the run with
    // "Error: OPTION1 and OPTION2 name the same file 'PATH'."
    output_file_t &add(const std::string &path, const std::string &option);
    // Writes out every file, then standard output, then renames each file
    // into place.
    void commit();

private:
    standard_output_use_t use_;
    std::vector<std::unique_ptr<output_file_t>> outputs_;  // in the order added
    std::vector<std::string> options_;                       // what each is called in messages
};
