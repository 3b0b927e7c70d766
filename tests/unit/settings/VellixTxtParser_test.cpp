#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "settings/VellixTxtParser.h"
#include "support/TempFolder.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

using Entries = std::vector<std::pair<Text, Text>>;

Entries Scan(const std::string& bytes) {
  VellixTxtParser p;
  p.ParseBytes(bytes);
  return Entries(p.Values().begin(), p.Values().end());
}

struct ScanCase {
  const char* name;
  std::string bytes;
  Entries expected;
};

const ScanCase kScanCases[] = {
    {"worked example, ordered by key, stops after height",
     "&title=Sample%26Book&\r\n&fullscreen=false&\r\n&width=1024&\r\n&height=768&\r\n&pages=120&\r\n",
     {{u"fullscreen", u"false"}, {u"height", u"768"}, {u"title", u"Sample%26Book"}, {u"width", u"1024"}}},
    {"first pair without its opening ampersand", "title=Book&\n&width=800&\n&height=600&\n",
     {{u"height", u"600"}, {u"title", u"Book"}, {u"width", u"800"}}},
    {"shared ampersand gives the second pair the empty key", "&a=1&b=2&", {{u"", u"2"}, {u"a", u"1"}}},
    {"no opening ampersand at all reuses the first key", "a=1&b=2&", {{u"a", u"1"}}},
    {"doubled ampersands make two pairs", "&a=1&&b=2&", {{u"a", u"1"}, {u"b", u"2"}}},
    {"duplicate key keeps its first value", "&k=1&\n&k=2&\n", {{u"k", u"1"}}},
    {"second equals sign moves the value", "&k=x=y&", {{u"k", u"y"}}},
    {"text after the closing ampersand is ignored", "&title=A&B&", {{u"title", u"A"}}},
    {"capital Height does not stop", "&Height=1&\n&width=2&", {{u"Height", u"1"}, {u"width", u"2"}}},
    {"unclosed pair is not stored", "&title=T&\n&width=800", {{u"title", u"T"}}},
    {"empty key and empty value", "&=v&\n&k=&", {{u"", u"v"}, {u"k", u""}}},
    {"carriage return inside a value is dropped, line feed kept", "&t=A\r\nB&", {{u"t", u"A\nB"}}},
    {"byte 26 ends the data", "&a=1&\n\x1A&b=2&\n", {{u"a", u"1"}}},
    {"empty file", "", {}},
    {"no equals sign", "&just&text&", {}},
    {"UTF-8 byte-order mark before the first pair", "\xEF\xBB\xBF&title=X&", {{u"title", u"X"}}},
    {"Korean text in the ANSI code page", "&title=\xB0\xA1\xB3\xAA&", {{u"title", u"\uAC00\uB098"}}},
    {"fullscreen after height is never read", "&height=600&\n&fullscreen=true&\n", {{u"height", u"600"}}},
    // After "&a=1&" the key marker is back before the first byte, so "x=2&" is
    // keyed from the buffer's start to its first zeroed byte: the empty text.
    {"stray text with an equals sign pairs with the next ampersand", "&a=1&\nx=2&\n",
     {{u"", u"2"}, {u"a", u"1"}}},
    {"stray pair in a file that begins with a key", "title=T&\nx=2&\n", {{u"title", u"T"}}},
    {"lone carriage returns vanish anywhere", "&ti\rtle=A\r&", {{u"title", u"A"}}},
    {"percent escapes and blanks are kept", "&title= Tom %26 Jerry &", {{u"title", u" Tom %26 Jerry "}}},
};

TEST(VellixTxtParser, ScansPairsByTheByteRules) {
  for (const auto& c : kScanCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Scan(c.bytes), c.expected);
  }
}

TEST(VellixTxtParser, ReportsWhatItNeverRead) {
  VellixTxtParser p;
  p.ParseBytes("&width=1&\n&height=2&\n&fullscreen=true&\n");
  EXPECT_TRUE(p.StoppedAtHeight());
  EXPECT_EQ(p.UnreadBytes(), std::string("\n&fullscreen=true&\n").size());
}

TEST(VellixTxtParser, GetValueInsertsEveryMissedKey) {
  VellixTxtParser p;
  p.ParseBytes("&title=T&");
  EXPECT_EQ(p.GetValue(u"title"), u"T");
  EXPECT_EQ(p.GetValue(u"width"), u"");
  EXPECT_EQ(p.GetValue(u"width"), u"");
  EXPECT_EQ(p.GetValue(u"fullscreen"), u"");
  EXPECT_EQ(p.Values().size(), 3u);
  EXPECT_EQ(p.Values().begin()->first, u"fullscreen");
}

TEST(VellixTxtParser, KeysAreOrderedByCodeUnits) {
  VellixTxtParser p;
  p.ParseBytes("&b=1&&B=2&&ba=3&&\xB0\xA1=4&&a=5&");
  std::vector<Text> keys;
  for (const auto& kv : p.Values()) keys.push_back(kv.first);
  EXPECT_EQ(keys, (std::vector<Text>{u"B", u"a", u"b", u"ba", u"\uAC00"}));
}

TEST(VellixTxtParser, ParseReadsFilesAndRejectsMissingOnes) {
  testing::TempFolder dir;
  auto path = dir.Write("Sample_Page_Img/Page_Var.txt", "&title=Sample%26Book&\r\n&width=1024&\r\n&height=768&\r\n");
  VellixTxtParser p;
  ASSERT_EQ(p.Parse(FromUtf8(path.string())), 0);
  EXPECT_EQ(p.GetValue(u"title"), u"Sample%26Book");
  EXPECT_EQ(p.GetValue(u"height"), u"768");

  VellixTxtParser missing;
  EXPECT_EQ(missing.Parse(FromUtf8((dir.Path() / "none.txt").string())), -1);
  EXPECT_TRUE(missing.Values().empty());
  EXPECT_EQ(missing.Parse(u""), -1);

  // Opening succeeds for an empty file and for a folder-less garbage file alike.
  auto empty = dir.Write("empty.txt", "");
  VellixTxtParser e;
  EXPECT_EQ(e.Parse(FromUtf8(empty.string())), 0);
  EXPECT_TRUE(e.Values().empty());
}

TEST(VellixTxtParser, PathOutsideTheCodePageCannotBeOpened) {
  VellixTxtParser p;
  // U+0E01 has no code page 949 form; the path becomes "?" and cannot name the file.
  EXPECT_EQ(p.Parse(u"\u0E01\u0E01\\Page_Var.txt"), -1);
}

}  // namespace
}  // namespace vellix
