#pragma once
#include <cstdint>

namespace vellix::swf {

// A colour as movie files store it: red, green, blue.
struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
  friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

}  // namespace vellix::swf
