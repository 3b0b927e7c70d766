#include <gtest/gtest.h>

#include "os/Forms.h"
#include "ui/Filter.h"
#include "ui/Exception.h"
#include "ui/Skin.h"

namespace vellix::ui {
namespace {

TEST(DefaultTitle, FileNameCutAtFirstDotThenLowered) {
  struct Case {
    const char* path;
    const char* title;
  } cases[] = {
      {"D:\\Books\\SAMPLE.EXE", "Sample"},
      {"D:\\Books\\Sample.vol.exe", "Sample"},  // first dot, not the last
      {"D:\\my.books\\MyBook.exe", "Mybook"},   // dots in folders do not count
      {"C:\\launcher.exe", "launcher"},
      {"C:\\NoExtension", "Noextension"},
      {"C:\\.exe", ""},
      {"C:\\x", "x"},
      {"", ""},
      {"E:\\\xED\x95\x9C\xEA\xB8\x80" "BOOK.exe", "\xED\x95\x9C\xEA\xB8\x80" "book"},  // 한글BOOK
      {"E:\\\xC3\x89TUDE.exe", "\xC3\x89tude"},                                  // first letter kept
      {"E:\\A\xC3\x89\xC3\x96\xD0\x96\xCE\xA3.exe", "A\xC3\xA9\xC3\xB6\xD0\xB6\xCF\x83"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ToUtf8(DefaultTitle(FromUtf8(c.path))), c.title);
  }
}

TEST(DisplayMessage, FullStopOnlyAfterCharactersAboveIt) {
  struct Case {
    Text in, out;
  } cases[] = {
      {u"Class not registered", u"Class not registered."},
      {u"Done.", u"Done."},
      {u"Really?", u"Really?."},  // '?' is above '.'
      {u"Stop!", u"Stop!"},       // '!' is below '.'
      {u"50%", u"50%"},
      {u"a-", u"a-"},
      {u"path/", u"path/."},
      {u"", u""},
      {u"\uD55C\uAE00", u"\uD55C\uAE00."},
      {u"x ", u"x "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.in));
    EXPECT_EQ(DisplayMessage(c.in), c.out);
  }
}

TEST(TrimLineBreaks, DropsWhatFormatMessageLeavesAtTheEnd) {
  EXPECT_EQ(TrimLineBreaks(u"Class not registered\r\n"), u"Class not registered");
  EXPECT_EQ(TrimLineBreaks(u"Access is denied. \r\n"), u"Access is denied.");
  EXPECT_EQ(TrimLineBreaks(u"Line one\r\nline two\r\n"), u"Line one\r\nline two");
  EXPECT_EQ(TrimLineBreaks(u"\r\n"), u"");
  EXPECT_EQ(TrimLineBreaks(u""), u"");
}

TEST(FilterList, PairsBecomeTheDoubleNulList) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    Text filter, list;
  } cases[] = {
      {"one entry", u"ImageFile|*.jpg;*.bmp", u"ImageFile\0*.jpg;*.bmp\0\0"s},
      {"two entries", u"PDF|*.pdf|All|*.*", u"PDF\0*.pdf\0All\0*.*\0\0"s},
      {"korean", u"\uD14D\uC2A4\uD2B8 \uD30C\uC77C|*.txt", u"\uD14D\uC2A4\uD2B8 \uD30C\uC77C\0*.txt\0\0"s},
      {"empty", u"", u""},
      {"display only", u"Text", u""},
      {"dangling display", u"A|*.a|B", u"A\0*.a\0\0"s},
      {"trailing bar", u"A|*.a|", u"A\0*.a\0\0"s},
      {"empty pattern dropped", u"A||B|*.b", u"B\0*.b\0\0"s},
      {"empty display shows pattern", u"|*.txt", u"*.txt\0*.txt\0\0"s},
      {"embedded nul dropped", u"A\0x|*.a|B|*.b"s, u"B\0*.b\0\0"s},
      {"bars only", u"|||", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FilterList(c.filter), c.list);
  }
}

// The named filters the Linux dialogs show: the filter tables' trailing ";"
// gives no empty pattern.
TEST(ParseFilter, PairsBecomeNamedPatternLists) {
  const std::vector<FilterEntry> word = ParseFilter(u"\uC6CC\uB4DC|*.doc;*.docx;|All|*.*");
  ASSERT_EQ(word.size(), 2u);
  EXPECT_EQ(word[0].display, u"\uC6CC\uB4DC");
  EXPECT_EQ(word[0].patterns, (std::vector<Text>{u"*.doc", u"*.docx"}));
  EXPECT_EQ(word[1].patterns, std::vector<Text>{u"*.*"});
  EXPECT_TRUE(ParseFilter(u"A|;;|B").empty());
  const std::vector<FilterEntry> bare = ParseFilter(u"|*.txt");
  ASSERT_EQ(bare.size(), 1u);
  EXPECT_EQ(bare[0].display, u"*.txt");
}

TEST(Skin, ActiveManagerRecoloursOnlyTheFaceColours) {
  EXPECT_EQ(ActiveSkin(), nullptr);
  {
    SkinManager manager;
    EXPECT_EQ(manager.SkinName(), u"Office2007 Blue (internal)");
    const Skin* skin = ActiveSkin();
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->name, u"Office2007 Blue (internal)");
    EXPECT_EQ(SkinColor(*skin, clBtnFace), skin->face);
    EXPECT_EQ(SkinColor(*skin, clBtnShadow), skin->shadow);
    EXPECT_EQ(SkinColor(*skin, clInfoText), std::nullopt);  // a panel's own colour stays
    EXPECT_EQ(SkinColor(*skin, Rgb(1, 2, 3)), std::nullopt);

    SkinManager second;  // only the first manager counts
    second.SetActive(false);
    EXPECT_EQ(ActiveSkin(), skin);

    manager.SetSkinName(u"No such skin");
    EXPECT_EQ(ActiveSkin(), nullptr);
    manager.SetSkinName(u"Office2007 Blue (internal)");
    manager.SetActive(false);
    EXPECT_EQ(ActiveSkin(), nullptr);
  }
  EXPECT_EQ(ActiveSkin(), nullptr);
}

}  // namespace
}  // namespace vellix::ui
