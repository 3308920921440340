// SPDX-License-Identifier: GPL-3.0-or-later
// Progress line of long model passes.
#include "driver/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

const double quiet_seconds = 2.0;    // passes shorter than this show nothing
const double refresh_seconds = 0.2;  // the line is redrawn at most this often

double seconds_between(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

void start_progress_line(progress_line_t &line, const char *option) {
    line.option = option;
    line.start = line.last_shown = std::chrono::steady_clock::now();
    line.terminal = isatty(STDERR_FILENO) == 1;
    line.shown = false;
}

void update_progress_line(void *context, int done, int total) {
    progress_line_t &line = *static_cast<progress_line_t *>(context);
    if (!line.terminal) return;
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = seconds_between(line.start, now);
    if (elapsed < quiet_seconds || (line.shown && seconds_between(line.last_shown, now) < refresh_seconds)) return;
    fprintf(stderr, "\r\033[K%s", progress_text(line.option, done, total, elapsed).c_str());
    fflush(stderr);
    line.shown = true;
    line.last_shown = now;
}

void end_progress_line(progress_line_t &line) {
    if (!line.shown) return;
    fprintf(stderr, "\r\033[K");
    fflush(stderr);
    line.shown = false;
}

std::string progress_text(const char *option, int done, int total, double seconds) {
    char text[160];
    snprintf(text, sizeof text, "kestrin %s: %d of %d spin systems, %.0f s", option, done, total, seconds);
    return text;
}
