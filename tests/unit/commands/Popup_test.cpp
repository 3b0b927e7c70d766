#include <gtest/gtest.h>

#include "commands/Fakes.h"
#include "popup/ChildCommands.h"
#include "popup/PopupRequest.h"

namespace vellix {
namespace {

TEST(PopupRequest, ServedRequests) {
  const Text contents = u"D:\\Books\\Demo_Page_Img\\contents\\";
  const struct {
    const char* name;
    Text args;
    Text movieFile;
    Text firstPage;
  } cases[] = {
      {"movie and page", u"PopUpForm@@@pop1.swf@@@12", u"pop1.swf", u"12"},
      {"subfolder and a page with a backslash", u"PopUpForm@@@sub\\pop1.swf@@@a\\b", u"sub\\pop1.swf", u"a\\b"},
      {"empty first page", u"PopUpForm@@@pop1.swf@@@", u"pop1.swf", u""},
      {"the page keeps further separators", u"PopUpForm@@@pop1.swf@@@1@@@2", u"pop1.swf", u"1@@@2"},
      {"empty movie file", u"PopUpForm@@@@@@x", u"", u"x"},
      {"Korean texts survive the code page", u"PopUpForm@@@\uD31D\uC5C5.swf@@@\uAC00\uB098", u"\uD31D\uC5C5.swf",
       u"\uAC00\uB098"},
      {"characters the code page cannot hold are lost", u"PopUpForm@@@\u0E01.swf@@@1", u"?.swf", u"1"},
      {"no second separator: page from the third byte", u"PopUpForm@@@pop1.swf", u"", u"p1.swf"},
      {"no second separator, Korean: bytes, not characters", u"PopUpForm@@@\uAC00\uB098\uB2E4", u"", u"\uB098\uB2E4"},
      {"no second separator, short rest", u"PopUpForm@@@ab", u"", u""},
      {"nothing after the kind", u"PopUpForm@@@", u"", u""},
  };
  BookPaths book = MakeBookPaths(u"D:\\Books\\Demo.exe");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<PopupRequest> request = ParsePopupRequest(c.args, book);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(testing::ShowText(request->moviePath), testing::ShowText(contents + c.movieFile));
    EXPECT_EQ(testing::ShowText(request->firstPage), testing::ShowText(c.firstPage));
  }
}

TEST(PopupRequest, RefusedRequests) {
  const Text refused[] = {u"popupform@@@pop1.swf@@@1", u"PopUpForm", u"PopUpForm pop1.swf", u"", u"@@@PopUpForm@@@x",
                          u" PopUpForm@@@x@@@1", u"PopUpForm\u0E01@@@x@@@1", u"function_full"};
  BookPaths book = MakeBookPaths(u"D:\\Books\\Demo.exe");
  for (const Text& args : refused) {
    SCOPED_TRACE(testing::ShowText(args));
    EXPECT_FALSE(ParsePopupRequest(args, book).has_value());
  }
}

TEST(ChildCommands, ClosesOnlyOnExactArgsAndHandsTheRestToTheShellUnchanged) {
  const struct {
    Text args;
    ChildCommandResult result;
    testing::Journal journal;
  } cases[] = {
      {u"function_close", ChildCommandResult::CloseWindow, {}},
      {u"Function_Close", ChildCommandResult::Handled,
       {"shell.open owner=none file=Function_Close params= dir= show=1"}},
      {u"http://example.com/a", ChildCommandResult::Handled,
       {"shell.open owner=none file=http://example.com/a params= dir= show=1"}},
      {u"\uAC00.hwp", ChildCommandResult::Handled, {"shell.open owner=none file=\\xB0\\xA1.hwp params= dir= show=1"}},
      {u"", ChildCommandResult::Handled, {"shell.open owner=none file= params= dir= show=1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::ShowText(c.args));
    testing::Journal journal;
    testing::FakeShell shell(journal);
    EXPECT_EQ(RunChildCommand(c.args, shell), c.result);
    EXPECT_EQ(journal, c.journal);
  }
}

}  // namespace
}  // namespace vellix
