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
// are served like any other: they neither crash nor read past their ends.
TEST(Dispatcher, OddTextsAreServedByTheSameRules) {
  const struct {
    const char* name;
    Text args;
    const char* shell;   // the file the shell is given, code page bytes ("?" where it has none)
    Journal afterShell;  // what follows the default shell open
  } cases[] = {
      {"zero characters", Text(u"\0\0", 2), "\\x00\\x00", {}},
      {"one at", u"@", "@", {}},
      {"two ats", u"@@", "@@", {}},
      {"a separator alone: empty head", u"@@@", "@@@", {}},
      {"two separators", u"@@@@@@", "@@@@@@", {}},
      {"show with a zero as its program", Text(u"function_show@@@") + char16_t(0) + u"@@@",
       "function_show@@@\\x00@@@",
       {"shell.open owner=none file=\"D:\\Books\\\\x00\" params=\"\" dir= show=1"}},
      {"copyfile without fields", u"function_copyfile@@@", "function_copyfile@@@", {}},
      {"memo and file name both empty", u"function_saveTextFile@@@@@@", "function_saveTextFile@@@@@@",
       {"files.mkdir E:\\TxtData", "files.write E:\\TxtData\\ []", "setvar saveSuccess=success"}},
      {"list file with empty folder and suffix", u"function_TxtListSaveToFile@@@@@@",
       "function_TxtListSaveToFile@@@@@@",
       {"search D:\\Books\\\\*.txt", "files.write D:\\Books\\\\TxtList [&name=&]"}},
      {"a lone surrogate", Text(1, char16_t(0xD800)), "?", {}},
      {"a lone surrogate as the folder", u"function_searchList@@@\xDC00", "function_searchList@@@?",
       {"search D:\\Books\\\uFFFD\\*.txt", "setvar resultList="}},
  };
  for (const auto& c : cases) {
    for (const Text& command : {Text(), Text(u"fscommand")}) {
      SCOPED_TRACE(std::string(c.name) + " / " + testing::ShowText(command));
      FakeWorld world;
      Journal journal = Dispatch(world, command, c.args);
      ASSERT_FALSE(journal.empty());
      EXPECT_EQ(journal.front(), ShellOpen(c.shell));
      EXPECT_EQ(Journal(journal.begin() + 1, journal.end()), c.afterShell);
    }
    SCOPED_TRACE(std::string(c.name) + " / function");
    FakeWorld world;
    EXPECT_EQ(Dispatch(world, u"function", c.args), Journal{"popup " + testing::ShowText(c.args)});
  }
}

}  // namespace
}  // namespace vellix
