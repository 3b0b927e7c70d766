#include "linux/Timings.h"

#include <time.h>

#include <cstdio>
#include <set>
#include <string>

namespace vellix::gtk {

namespace {
bool g_enabled = false;
}  // namespace

void EnableTimings() { g_enabled = true; }
bool TimingsEnabled() { return g_enabled; }

namespace {

double Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

}  // namespace

void MarkTiming(const char* step) {
  if (!g_enabled) return;
  static std::set<std::string> marked;
  if (!marked.insert(step).second) return;
  std::fprintf(stderr, "vellix-viewer: timing %s %.3f\n", step, Now());
  std::fflush(stderr);
}

void LogFSCommand(int view, const std::string& command, const std::string& args) {
  if (!g_enabled) return;
  std::fprintf(stderr, "vellix-viewer: fscommand %.3f %d %s %s\n", Now(), view, command.c_str(), args.c_str());
  std::fflush(stderr);
}

}  // namespace vellix::gtk
