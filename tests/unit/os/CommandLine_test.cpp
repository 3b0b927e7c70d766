#include <gtest/gtest.h>

#include "os/CommandLine.h"

namespace vellix {
namespace {

TEST(CommandLine, SplitsLikeTheClassLibrary) {
  const struct {
    const char* name;
    Text line;
    std::vector<Text> arguments;
  } cases[] = {
      {"program only", u"C:\\Books\\Sample.exe", {u"C:\\Books\\Sample.exe"}},
      {"quoted program with a blank", u"\"C:\\My Books\\Sample.exe\" 12", {u"C:\\My Books\\Sample.exe", u"12"}},
      {"runs of blanks and control characters separate", u"a.exe  12\t34\r\n5", {u"a.exe", u"12", u"34", u"5"}},
      {"quotes group blanks and are removed", u"a.exe \"page 12\"", {u"a.exe", u"page 12"}},
      {"quotes inside an argument", u"a.exe pa\"ge 1\"2", {u"a.exe", u"page 12"}},
      {"an empty pair of quotes is skipped", u"a.exe \"\" 12", {u"a.exe", u"12"}},
      {"an empty pair inside an argument vanishes", u"a.exe 1\"\"2", {u"a.exe", u"12"}},
      {"an empty pair then text starts the argument", u"a.exe \"\"12", {u"a.exe", u"12"}},
      {"an unclosed quote runs to the end", u"a.exe \"12 34", {u"a.exe", u"12 34"}},
      {"a lone quote at the end ends the list", u"a.exe 12 \"", {u"a.exe", u"12"}},
      {"leading and trailing blanks", u"   a.exe   12   ", {u"a.exe", u"12"}},
      {"non-ASCII characters are no separators", u"a.exe \uAC00\u00A0\uB098", {u"a.exe", u"\uAC00\u00A0\uB098"}},
      {"a zero character ends the line", Text(u"a.exe 12") + char16_t(0) + u" 34", {u"a.exe", u"12"}},
      {"empty line", u"", {}},
      {"only an empty pair", u"\"\"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
  }
}

TEST(CommandLine, FirstArgument) {
  EXPECT_EQ(FirstArgument(u"Sample.exe 12 34"), u"12");
  EXPECT_EQ(FirstArgument(u"Sample.exe"), u"");
  EXPECT_EQ(FirstArgument(u"\"C:\\My Books\\Sample.exe\" \"a b\""), u"a b");
  // The skipped pair leaves 12 in the program's place.
  EXPECT_EQ(FirstArgument(u"\"\" 12"), u"");
}

}  // namespace
}  // namespace vellix
