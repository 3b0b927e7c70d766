#pragma once
// How the book window is titled, sized and placed, decided from its settings
// file before the window is first shown.
#include <optional>

#include "os/Forms.h"
#include "settings/VellixTxtParser.h"
#include "text/Text.h"

namespace vellix {

struct WindowDecision {
  Text title;
  // Explicit outer geometry, applied in this order: top, left, width, height.
  bool explicitGeometry = false;
  int top = 0;
  int left = 0;
  int width = 0;
  int height = 0;
  // The window state is set to maximised (after the geometry, if any).
  bool maximized = false;
  // A width or height that is not an integer stops the decision: the window
  // keeps its designed geometry and normal state, and this message is shown
  // (the exception display adds the full stop).
  std::optional<Text> conversionError;
  // The movie is loaded in every case, the conversion error included, so that
  // a book whose settings hold a bad size still opens.
  bool loadMovie = true;
};

// `parseResult` is what VellixTxtParser::Parse returned for the book's
// settings file; `screen` is the primary screen, `current` the window's outer
// size before any change.
WindowDecision DecideWindowSettings(int parseResult, VellixTxtParser& settings, const Text& baseName, Size screen,
                                    Size current);

// The class library's strict integer conversion: leading blanks, an optional
// sign, then decimal digits or hexadecimal digits after "$", "x" or "0x"
// (either case). Anything else, the empty text and trailing blanks included,
// is an error.
std::optional<int> StrToInt(const Text& text);

// The text of the conversion error for `text`, without the full stop.
Text InvalidIntegerMessage(const Text& text);

}  // namespace vellix
