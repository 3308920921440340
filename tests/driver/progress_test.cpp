// SPDX-License-Identifier: GPL-3.0-or-later
// Progress line: its text, and silence when standard error is not a terminal.
#include "driver/progress.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Progress, TextNamesTheModelTheSpinSystemsAndTheTime) {
    EXPECT_EQ(progress_text("-cfpd", 45, 106, 12.4), "kestrin -cfpd: 45 of 106 spin systems, 12 s");
    EXPECT_EQ(progress_text("-cspi", 0, 0, 0.0), "kestrin -cspi: 0 of 0 spin systems, 0 s");
}

TEST(Progress, NothingIsWrittenWhenStandardErrorIsNotATerminal) {
    testing::internal::CaptureStderr();  // a pipe, never a terminal
    progress_line_t line;
    start_progress_line(line, "-cfpd");
    line.start -= std::chrono::seconds(10);  // a long pass
    update_progress_line(&line, 3, 10);
    end_progress_line(line);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(line.shown);
}

TEST(Progress, ShortPassesShowNothingLongOnesAreErasedAtTheEnd) {
    testing::internal::CaptureStderr();
    progress_line_t line;
    start_progress_line(line, "-cfpd");
    line.terminal = true;  // as if standard error were a terminal
    update_progress_line(&line, 1, 10);
    EXPECT_FALSE(line.shown);
    line.start -= std::chrono::seconds(5);
    update_progress_line(&line, 2, 10);
    EXPECT_TRUE(line.shown);
    end_progress_line(line);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\r\033[Kkestrin -cfpd: 2 of 10 spin systems, 5 s\r\033[K");
}

}  // namespace
