#include <gtest/gtest.h>

#include "text/Text.h"

namespace vellix {
namespace {

TEST(Text, ReplaceAllDoesNotRescanReplacedText) {
  EXPECT_EQ(ReplaceAll(u"Tom %26 Jerry", u"%26", u"&"), u"Tom & Jerry");
  EXPECT_EQ(ReplaceAll(u"%2626", u"%26", u"&"), u"&26");
  EXPECT_EQ(ReplaceAll(u"a/b//c", u"/", u"\\"), u"a\\b\\\\c");
  EXPECT_EQ(ReplaceAll(u"\\\\\\\\", u"\\\\\\", u"\\"), u"\\\\");
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"x"), u"abc");
}

TEST(Text, SplitAtFirstSeparator) {
  struct Case {
    Text in, head, tail;
    bool found;
  } cases[] = {
      {u"a@@@b@@@c", u"a", u"b@@@c", true},
      {u"@@@rest", u"", u"rest", true},
      {u"plain", u"plain", u"", false},
      {u"", u"", u"", false},
      {u"x@@@", u"x", u"", true},
      {u"x@@", u"x@@", u"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.in));
    Split s = SplitAtFirst(c.in, u"@@@");
    EXPECT_EQ(s.head, c.head);
    EXPECT_EQ(s.tail, c.tail);
    EXPECT_EQ(s.found, c.found);
  }
}

TEST(Text, FileNameParts) {
  struct Case {
    Text path, dir, folder, name, ext;
  } cases[] = {
      {u"D:\\Books\\Sample.exe", u"D:\\Books\\", u"D:\\Books", u"Sample.exe", u".exe"},
      {u"D:\\Books\\Sample.vol.exe", u"D:\\Books\\", u"D:\\Books", u"Sample.vol.exe", u".exe"},
      {u"D:\\my.books\\Sample", u"D:\\my.books\\", u"D:\\my.books", u"Sample", u""},
      {u"C:\\launcher.exe", u"C:\\", u"C:\\", u"launcher.exe", u".exe"},
      {u"docs.v2\\readme", u"docs.v2\\", u"docs.v2", u"readme", u""},
      {u"report.HWP", u"", u"", u"report.HWP", u".HWP"},
      {u"", u"", u"", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.path));
    EXPECT_EQ(ExtractFilePath(c.path), c.dir);
    EXPECT_EQ(ExtractFileDir(c.path), c.folder);
    EXPECT_EQ(ExtractFileName(c.path), c.name);
    EXPECT_EQ(ExtractFileExt(c.path), c.ext);
  }
  EXPECT_EQ(ChangeFileExt(u"D:\\Books\\Sample.vol.exe", u".swf"), u"D:\\Books\\Sample.vol.swf");
  EXPECT_EQ(ChangeFileExt(u"D:\\my.books\\Sample", u".swf"), u"D:\\my.books\\Sample.swf");
}

TEST(Text, PosAndCopyAreOneBased) {
  EXPECT_EQ(Pos(u"@@@", u"PopUpForm@@@x"), 10u);
  EXPECT_EQ(Pos(u"@@@", u"none"), 0u);
  EXPECT_EQ(Copy(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(Copy(u"abc", 3, 100), u"c");
  EXPECT_EQ(Copy(u"abc", 4, 1), u"");
  EXPECT_EQ(Copy(u"abc", 0, 2), u"ab");
}

TEST(Text, Utf8RoundTrip) {
  const Text t = u"\uBCC0\uC218\uBA85 \U0001F600 ok";
  EXPECT_EQ(FromUtf8(ToUtf8(t)), t);
  EXPECT_EQ(FromUtf8("\xFF" "a"), u"\uFFFDa");
}

}  // namespace
}  // namespace vellix
