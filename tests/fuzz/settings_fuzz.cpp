// The settings reader over arbitrary file bytes, checked against a second,
// plainer reading of the format written here from its rules, then the window
// decision over what the reader kept.
//
// The rules as this model reads them:
// - Text mode first: carriage returns are dropped, a byte 26 ends the data.
// - The data is cut into pieces at every "&" and "=". Walking the separators
//   in order: "=" says that the current pair has reached its value; "&"
//   before any "=" opens a pair, whose key is the piece after it; "&" after
//   an "=" closes the pair, whose value is the piece before it (so the text
//   after the last "=").
// - A pair closed without an "&" of its own having opened it (the file's
//   first pair, or stray text with an "=" between pairs) is keyed with the
//   piece before the data's first separator.
// - A key or value ends early at a zero byte of the file.
// - Keys and values are converted from the ANSI code page; the first value
//   of a key is kept; after a pair keyed "height" nothing more is read.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzOracle.h"
#include "book/WindowSettings.h"
#include "settings/VellixTxtParser.h"
#include "text/CodePage.h"

namespace {

using vellix::Text;
using vellix::fuzz::ShowBytes;
using vellix::fuzz::ShowUnits;

struct Reading {
  std::map<Text, Text> values;
  bool stoppedAtHeight = false;
  std::size_t unreadBytes = 0;
};

Reading ReadByTheRules(const std::string& file) {
  std::string data;
  for (unsigned char c : file) {
    if (c == 26) break;
    if (c != 13) data += static_cast<char>(c);
  }

  // pieces[j] is the text before separator j; the last piece ends the data.
  std::vector<std::string> pieces(1);
  std::vector<char> separators;
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '&' || data[i] == '=') {
      separators.push_back(data[i]);
      offsets.push_back(i);
      pieces.emplace_back();
    } else {
      pieces.back() += data[i];
    }
  }
  auto untilZero = [](const std::string& s) { return vellix::FromAnsi(std::string(s.c_str())); };

  Reading r;
  bool opened = false;
  bool inValue = false;
  std::size_t keyPiece = 0;
  for (std::size_t j = 0; j < separators.size(); ++j) {
    if (separators[j] == '=') {
      inValue = true;
    } else if (!inValue) {
      opened = true;
      keyPiece = j + 1;
    } else {
      Text key = untilZero(opened ? pieces[keyPiece] : pieces[0]);
      Text value = untilZero(pieces[j]);
      r.values.insert({key, value});
      opened = inValue = false;
      if (key == u"height") {
        r.stoppedAtHeight = true;
        r.unreadBytes = data.size() - offsets[j] - 1;
        break;
      }
    }
  }
  return r;
}

std::string ShowMap(const std::map<Text, Text>& values) {
  std::string out;
  for (const auto& kv : values) out += "  " + ShowUnits(kv.first) + " = " + ShowUnits(kv.second) + "\n";
  return out.empty() ? "  (empty)\n" : out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  vellix::VellixTxtParser parser;
  parser.ParseBytes(file);
  const Reading expected = ReadByTheRules(file);

  if (parser.Values() != expected.values || parser.StoppedAtHeight() != expected.stoppedAtHeight ||
      parser.UnreadBytes() != expected.unreadBytes) {
    vellix::fuzz::Fail("settings",
                       "file " + ShowBytes(file) + "\nthe reader kept:\n" + ShowMap(parser.Values()) +
                           "stopped at height: " + std::to_string(parser.StoppedAtHeight()) +
                           ", unread bytes: " + std::to_string(parser.UnreadBytes()) + "\nthe rules give:\n" +
                           ShowMap(expected.values) + "stopped at height: " +
                           std::to_string(expected.stoppedAtHeight) +
                           ", unread bytes: " + std::to_string(expected.unreadBytes));
  }

  // A lookup answers what was kept; a miss adds the key with the empty text.
  const Text probe = expected.values.empty() ? Text(u"title") : expected.values.rbegin()->first + u"~";
  const std::size_t before = parser.Values().size();
  if (!parser.GetValue(probe).empty() || parser.Values().size() != before + 1 ||
      parser.Values().at(probe) != Text())
    vellix::fuzz::Fail("settings", "GetValue of the absent key " + ShowUnits(probe) + " in file " + ShowBytes(file));
  for (const auto& kv : expected.values)
    if (parser.GetValue(kv.first) != kv.second)
      vellix::fuzz::Fail("settings", "GetValue(" + ShowUnits(kv.first) + ") in file " + ShowBytes(file));

  for (const auto& kv : parser.Values()) (void)vellix::StrToInt(kv.second);
  vellix::DecideWindowSettings(0, parser, u"Book", {1024, 768}, {816, 638});
  return 0;
}
