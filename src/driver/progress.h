// SPDX-License-Identifier: GPL-3.0-or-later
// A self-updating progress line on standard error for long model passes,
// shown only when standard error is a terminal, so redirected runs print
// exactly what they always did.
#pragma once

#include <chrono>
#include <string>

struct progress_line_t {
    const char *option = "";  // the model's option, as the spectroscopist typed it
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point last_shown;
    bool terminal = false;  // standard error is a terminal
    bool shown = false;     // a line is on the screen
};

// Starts timing a pass; nothing is shown during its first two seconds.
void start_progress_line(progress_line_t &line, const char *option);

// Called after each spin system (a pass_progress_t report function).
void update_progress_line(void *line, int done, int total);

// Erases the line, if one was shown.
void end_progress_line(progress_line_t &line);

// "kestrin -cfpd: 45 of 106 spin systems, 12 s"
std::string progress_text(const char *option, int done, int total, double seconds);
