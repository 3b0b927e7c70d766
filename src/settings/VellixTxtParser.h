#pragma once
// Reader of a book's settings file, Page_Var.txt: ampersand-delimited pairs
// "&key=value&" in the ANSI code page, read in text mode. The reader knows
// one key only: it stops after the pair keyed "height".
#include <functional>
#include <map>
#include <string>

#include "text/Text.h"

namespace vellix {

class VellixTxtParser {
 public:
  // 0 when the file was opened (whatever it holds), -1 when it could not be
  // opened, is too large to read or its buffer cannot be had; the map is
  // then left as it was.
  int Parse(const Text& path);

  // Scans the raw bytes of a settings file as Parse does after reading it.
  void ParseBytes(const std::string& fileBytes);

  // The value stored for `key`, or the empty text. A miss inserts the entry
  // (key, empty text), as the map lookup the viewer was written against does.
  Text GetValue(const Text& key);

  // Entries in ascending ordinal order of their UTF-16 keys.
  const std::map<Text, Text>& Values() const { return values_; }

  // True when the last scan stopped at a "height" pair before the end of the
  // data, so that later pairs were never read.
  bool StoppedAtHeight() const { return stoppedAtHeight_; }
  // The bytes after the "height" pair that the scan never looked at.
  std::size_t UnreadBytes() const { return unreadBytes_; }

 private:
  std::map<Text, Text> values_;
  bool stoppedAtHeight_ = false;
  std::size_t unreadBytes_ = 0;
};

// The C runtime's text-mode reading rules applied to raw file bytes: every
// carriage return is dropped and a byte 26 ends the data.
std::string ApplyTextModeRead(const std::string& raw);

// The reader's byte scan over the raw bytes of a settings file: `onPair` gets
// every pair in file order, repeats included, with the offset just after its
// closing "&" in the text-mode data; returning false stops the scan. The
// result is true when the data ends inside a pair that never closes.
using SettingsPairSink = std::function<bool(const Text& key, const Text& value, std::size_t end)>;
bool ScanSettingsPairs(const std::string& fileBytes, const SettingsPairSink& onPair);

}  // namespace vellix
