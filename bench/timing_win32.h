// Timing helpers of the benchmarks that run under Windows or Wine.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace zephyr::testing {

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace zephyr::testing
