#pragma once
// Same-run comparisons for the benchmark programs: a measured step and its
// baseline run in alternating rounds, so that a noisy machine slows both
// alike, and the medians are compared. Programs print one line per figure:
//   name value baseline ratio
// which bench/run passes on unchanged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace vellix::bench {

struct Medians {
  double measured = 0;  // seconds per round
  double baseline = 0;
  double ratio() const { return baseline > 0 ? measured / baseline : 0; }
};

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

inline double SecondsOf(const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

// `warmup` untimed rounds of each, then `rounds` timed rounds, alternating
// which of the two goes first so that neither always runs on a warm cache
// the other has just left.
inline Medians Interleaved(int rounds, int warmup, const std::function<void()>& measured,
                           const std::function<void()>& baseline) {
  for (int i = 0; i < warmup; ++i) {
    measured();
    baseline();
  }
  std::vector<double> a, b;
  for (int i = 0; i < rounds; ++i) {
    if (i % 2 == 0) {
      a.push_back(SecondsOf(measured));
      b.push_back(SecondsOf(baseline));
    } else {
      b.push_back(SecondsOf(baseline));
      a.push_back(SecondsOf(measured));
    }
  }
  return {Median(a), Median(b)};
}

inline void PrintFigure(const char* name, double value, double baseline) {
  std::printf("%-32s %12.3f %12.3f %8.3f\n", name, value, baseline, baseline > 0 ? value / baseline : 0.0);
  std::fflush(stdout);
}

}  // namespace vellix::bench
