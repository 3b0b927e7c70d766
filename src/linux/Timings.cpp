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

void MarkTiming(const char* step) {
  if (!g_enabled) return;
  static std::set<std::string> marked;
  if (!marked.insert(step).second) return;
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "vellix-viewer: timing %s %.3f\n", step, now.tv_sec * 1000.0 + now.tv_nsec / 1e6);
  std::fflush(stderr);
}

}  // namespace vellix::gtk
