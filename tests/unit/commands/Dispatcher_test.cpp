#include <gtest/gtest.h>

#include "commands/Dispatcher.h"
#include "commands/Fakes.h"

namespace vellix {
namespace {

using testing::FakeWorld;
using testing::Journal;

Journal Dispatch(FakeWorld& world, const Text& command, const Text& args) {
  FlashPlayerFSCommand(world.Ports(), command, args);
  return world.journal;
}

std::string ShellOpen(const std::string& file) { return "shell.open owner=book file=" + file + " params= dir= show=1"; }

struct Case {
  const char* name;
  Text command;
  Text args;
  Journal expected;
};

TEST(Dispatcher, RoutesEachRequest) {
  const Case cases[] = {
      {"popup request goes to the popup routine only", u"function", u"PopUpForm@@@sub/pop1.swf@@@3",
       {"popup PopUpForm@@@sub\\pop1.swf@@@3"}},
      {"function with a window command still only asks for a popup", u"function", u"function_full",
       {"popup function_full"}},
      {"function with empty args", u"function", u"", {"popup "}},
      {"command text other than function is ignored", u"Function", u"function_full", {"window.maximize"}},
      {"maximise with an empty command", u"", u"function_full", {"window.maximize"}},
      {"close", u"anything", u"function_close", {"window.close"}},
      {"forward raises the window and skips the shell", u"", u"function_forward", {"window.bring-to-front"}},
      {"window commands compare case-sensitively", u"", u"Function_Full", {ShellOpen("Function_Full")}},
      {"window command followed by a separator is no window command", u"", u"function_full@@@",
       {ShellOpen("function_full@@@")}},
      {"forward as a head does nothing after the shell", u"", u"function_forward@@@x",
       {ShellOpen("function_forward@@@x")}},
      {"a command named function_close with other args", u"function_close", u"notes.pdf", {ShellOpen("notes.pdf")}},
      {"slashes of a web address become backslashes", u"", u"http://example.com/a/b.html",
       {ShellOpen("http:\\\\example.com\\a\\b.html")}},
      {"empty args reach the shell as an empty file", u"", u"", {ShellOpen("")}},
      {"args starting with the separator: empty head, nothing after the shell", u"", u"@@@function_show@@@x",
       {ShellOpen("@@@function_show@@@x")}},
      {"Korean args go to the shell in the ANSI code page", u"", u"\uAC00\uB098.hwp",
       {ShellOpen("\\xB0\\xA1\\xB3\\xAA.hwp")}},
      {"head commands are compared case-sensitively", u"", u"function_Show@@@a@@@b",
       {ShellOpen("function_Show@@@a@@@b")}},
      {"show starts a program below the executable's folder, shell first", u"", u"function_show@@@bin/app.exe@@@12",
       {ShellOpen("function_show@@@bin\\app.exe@@@12"),
        "shell.open owner=none file=\"D:\\Books\\bin\\app.exe\" params=\"12\" dir= show=1"}},
      {"show with an empty argument passes two quotes", u"", u"function_show@@@app.exe@@@",
       {ShellOpen("function_show@@@app.exe@@@"), "shell.open owner=none file=\"D:\\Books\\app.exe\" params=\"\" dir= show=1"}},
      {"show keeps further separators in its argument", u"", u"function_show@@@app.exe@@@a@@@b",
       {ShellOpen("function_show@@@app.exe@@@a@@@b"),
        "shell.open owner=none file=\"D:\\Books\\app.exe\" params=\"a@@@b\" dir= show=1"}},
      {"show without its second field is ignored", u"", u"function_show@@@app.exe",
       {ShellOpen("function_show@@@app.exe")}},
      {"command-line argument handed to the movie", u"", u"function_InputParameter",
       {ShellOpen("function_InputParameter"), "setvar 변수명=12"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWorld world;
    world.environment.argument1 = u"12";
    EXPECT_EQ(Dispatch(world, c.command, c.args), c.expected);
  }
}

TEST(Dispatcher, ShowFromAnExecutableAtADriveRoot) {
  FakeWorld world;
  world.executable = u"E:\\Book.exe";
  Dispatch(world, u"", u"function_show@@@app.exe@@@1");
  ASSERT_EQ(world.journal.size(), 2u);
  EXPECT_EQ(world.journal[1], "shell.open owner=none file=\"E:\\\\app.exe\" params=\"1\" dir= show=1");
}

// Texts with embedded zero characters, lone surrogates and separators alone
// must neither crash nor read past their ends.
TEST(Dispatcher, OddTextsAreHandledSafely) {
  const Text odd[] = {Text(u"\0\0", 2), u"@", u"@@", u"@@@", u"@@@@@@", Text(u"function_show@@@") + char16_t(0) + u"@@@",
                      u"function_copyfile@@@", u"function_saveTextFile@@@@@@", u"function_TxtListSaveToFile@@@@@@",
                      Text(1, char16_t(0xD800)), u"function_searchList@@@\xDC00"};
  const Text commands[] = {u"", u"function", u"fscommand"};
  for (const Text& command : commands) {
    for (const Text& args : odd) {
      SCOPED_TRACE(testing::ShowText(command) + " / " + testing::ShowText(args));
      FakeWorld world;
      Journal journal = Dispatch(world, command, args);
      EXPECT_FALSE(journal.empty());
    }
  }
}

}  // namespace
}  // namespace vellix
