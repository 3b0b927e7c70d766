#pragma once
// `vellix-viewer --timings`: one line on standard error for each step of a
// book's start, "vellix-viewer: timing <step> <ms>", the milliseconds on the
// system's monotonic clock (CLOCK_MONOTONIC), so that a benchmark that
// started the viewer can tell how long each step took.
#include <string>

namespace vellix::gtk {

void EnableTimings();
bool TimingsEnabled();
// Prints the step the first time it is reached; later ones are not timed.
void MarkTiming(const char* step);
// Every FSCommand that reaches a view, as it arrives: "vellix-viewer:
// fscommand <ms> <view> <command> <args>", the views numbered in the order
// they were made (0 is the book's).
void LogFSCommand(int view, const std::string& command, const std::string& args);

}  // namespace vellix::gtk
