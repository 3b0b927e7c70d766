#pragma once
// Colours as the form descriptions give them: an RGB value (0x00BBGGRR, as
// COLORREF) or, with the top bit set, a system colour index resolved when the
// window paints, so that a skin or a changed system scheme takes effect.
#include <cstdint>

namespace vellix {

using Color = std::uint32_t;

constexpr Color kSystemColorFlag = 0x80000000u;
constexpr Color SystemColor(int index) { return kSystemColorFlag | static_cast<Color>(index); }
constexpr bool IsSystemColor(Color c) { return (c & kSystemColorFlag) != 0; }
constexpr int SystemColorIndex(Color c) { return static_cast<int>(c & 0xFFu); }
constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r & 0xFF) | (static_cast<Color>(g & 0xFF) << 8) |
         (static_cast<Color>(b & 0xFF) << 16);
}

// The system colours the program uses (indices of GetSysColor).
constexpr Color clWindowText = SystemColor(8);
constexpr Color clBtnFace = SystemColor(15);
constexpr Color clBtnShadow = SystemColor(16);
constexpr Color clBtnHighlight = SystemColor(20);
constexpr Color clInfoText = SystemColor(23);

}  // namespace vellix
