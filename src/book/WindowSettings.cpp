#include "book/WindowSettings.h"

#include <cstdint>

namespace vellix {

std::optional<int> StrToInt(const Text& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == u' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return std::nullopt;
  std::uint64_t value = 0;
  for (; i < n; ++i) {
    char16_t c = text[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return std::nullopt;
    value = value * (hex ? 16 : 10) + digit;
    // Hexadecimal covers the 32 bits (so $FFFFFFFF is -1); decimal must fit
    // the signed range.
    if (hex ? value > 0xFFFFFFFFull : value > 0x80000000ull) return std::nullopt;
  }
  if (hex) {
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  if (!negative && value > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<int>(negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
}

Text InvalidIntegerMessage(const Text& text) { return u"''" + text + u"'' is not a valid integer value"; }

WindowDecision DecideWindowSettings(int parseResult, VellixTxtParser& settings, const Text& baseName, Size screen,
                                    Size current) {
  WindowDecision d;
  if (parseResult != 0) {
    d.title = baseName == u"launcher" ? Text(u"Vellix EBook Viewer") : baseName;
    d.maximized = true;
    return d;
  }

  d.title = ReplaceAll(settings.GetValue(u"title"), u"%26", u"&");

  const Text widthText = settings.GetValue(u"width");
  std::optional<int> w = StrToInt(widthText);
  if (!w) {
    d.conversionError = InvalidIntegerMessage(widthText);
    return d;
  }
  bool isExplicit = false;
  int h = 0;
  if (*w > 0) {
    const Text heightText = settings.GetValue(u"height");
    std::optional<int> parsedHeight = StrToInt(heightText);
    if (!parsedHeight) {
      d.conversionError = InvalidIntegerMessage(heightText);
      return d;
    }
    h = *parsedHeight;
    isExplicit = h > 0;
  }

  if (!isExplicit) {
    d.maximized = true;
  } else {
    // The position centres the size the window has before resizing, and the
    // fit tests compare the screen with that size, not with the request.
    d.explicitGeometry = true;
    d.top = (screen.height - current.height) / 2;
    d.left = (screen.width - current.width) / 2;
    d.width = screen.width < current.width ? screen.width : *w;
    d.height = screen.height < current.height ? screen.height : h;
  }

  if (settings.GetValue(u"fullscreen") == u"true") d.maximized = true;
  return d;
}

}  // namespace vellix
