#include <gtest/gtest.h>

#include "text/CodePage.h"

namespace vellix {
namespace {

struct AnsiCase {
  const char* name;
  Text text;
  std::string bytes;
};

// The same table runs natively (iconv) and under Wine (CP_ACP = 949).
const AnsiCase kRoundTrips[] = {
    {"ascii", u"Hello, World", "Hello, World"},
    {"hangul", u"\uAC00\uB098", "\xB0\xA1\xB3\xAA"},
    {"mixed", u"memo \uAC00.txt", "memo \xB0\xA1.txt"},
    {"empty", u"", ""},
    {"control bytes", u"a\nb\r\x1A", "a\nb\r\x1A"},
    {"filter text", u"\uD55C\uAE00 \uD30C\uC77C|*.hwp", "\xC7\xD1\xB1\xDB \xC6\xC4\xC0\xCF|*.hwp"},
};

TEST(CodePage, ConvertsBothWays) {
  for (const auto& c : kRoundTrips) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToAnsi(c.text), c.bytes);
    EXPECT_EQ(FromAnsi(c.bytes), c.text);
  }
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarks) {
  // U+20AC (euro) and U+0E01 (Thai) do not exist in code page 949.
  EXPECT_EQ(ToAnsi(u"a\u0E01b"), "a?b");
  EXPECT_EQ(ToAnsi(u"\u0E01\u0E02"), "??");
}

}  // namespace
}  // namespace vellix
