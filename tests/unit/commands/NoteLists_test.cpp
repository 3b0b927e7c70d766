#include <gtest/gtest.h>

#include "commands/Dispatcher.h"
#include "commands/Fakes.h"

namespace vellix {
namespace {

using testing::FakeWorld;
using testing::Journal;

Journal AfterShell(FakeWorld& world, const Text& args) {
  world.journal.clear();
  FlashPlayerFSCommand(world.Ports(), u"", args);
  EXPECT_FALSE(world.journal.empty());
  if (world.journal.empty()) return {};
  // Every head command is first offered to the shell whole.
  EXPECT_EQ(world.journal.front().rfind("shell.open owner=book file=function_", 0), 0u) << world.journal.front();
  return Journal(world.journal.begin() + 1, world.journal.end());
}

// D:\Books\Sample.exe beside a folder TxtData.
struct NoteLists : ::testing::Test {
  NoteLists() {
    world.search.entries[u"D:\\Books\\TxtData\\*.txt"] = {u"memo1.txt", u"TxtList.txt", u"memo2.txt"};
  }
  FakeWorld world;
};

TEST_F(NoteLists, ListsAndRecordsTheFolder) {
  EXPECT_EQ(AfterShell(world, u"function_searchList@@@TxtData"),
            (Journal{"search D:\\Books\\TxtData\\*.txt", "setvar resultList=memo1.txt@@@TxtList.txt@@@memo2.txt@@@"}));
  EXPECT_EQ(AfterShell(world, u"function_TxtListSaveToFile@@@TxtData@@@.txt"),
            (Journal{"search D:\\Books\\TxtData\\*.txt", "files.write D:\\Books\\TxtData\\TxtList.txt [&name=memo1,memo2&]"}));
  EXPECT_EQ(world.files.contents["D:\\Books\\TxtData\\TxtList.txt"].size(), 18u);
}

TEST_F(NoteLists, Entries) {
  const struct {
    const char* name;
    std::vector<Text> entries;
    Text resultList;
    std::string record;
  } cases[] = {
      {"nothing found", {}, u"", "&name=&"},
      {"only the list file", {u"TxtList.txt"}, u"TxtList.txt@@@", "&name=&"},
      {"folders, unsorted, inner dots", {u"z.txt", u"old.txt", u"notes.backup.txt"},
       u"z.txt@@@old.txt@@@notes.backup.txt@@@", "&name=z,old,notes.backup&"},
      {"TxtList anywhere in the name, case-sensitive", {u"MyTxtList.txt", u"txtlist.txt", u"TxtListX.txt"},
       u"MyTxtList.txt@@@txtlist.txt@@@TxtListX.txt@@@", "&name=txtlist&"},
      {"Korean names in code page 949", {u"\uAC00.txt"}, u"\uAC00.txt@@@", "&name=\xB0\xA1&"},
      {"a name without a dot stays whole", {u"LONGNAME"}, u"LONGNAME@@@", "&name=LONGNAME&"},
      {"an empty base name still gets its comma", {u".txt", u"a.txt"}, u".txt@@@a.txt@@@", "&name=,a&"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    world.search.entries[u"D:\\Books\\TxtData\\*.txt"] = c.entries;
    AfterShell(world, u"function_searchList@@@TxtData");
    EXPECT_EQ(world.journal.back(), "setvar resultList=" + testing::ShowText(c.resultList));
    AfterShell(world, u"function_TxtListSaveToFile@@@TxtData@@@.txt");
    EXPECT_EQ(world.files.contents["D:\\Books\\TxtData\\TxtList.txt"], c.record);
  }
}

TEST_F(NoteLists, Paths) {
  const struct {
    const char* name;
    Text executable;
    Text args;
    Journal expected;
  } cases[] = {
      {"slashes of the folder", u"D:\\Books\\Sample.exe", u"function_searchList@@@TxtData/2010",
       {"search D:\\Books\\TxtData\\2010\\*.txt", "setvar resultList="}},
      {"empty folder", u"D:\\Books\\Sample.exe", u"function_searchList", {"search D:\\Books\\\\*.txt", "setvar resultList="}},
      {"a separator in the folder is part of it", u"D:\\Books\\Sample.exe", u"function_searchList@@@a@@@b",
       {"search D:\\Books\\a@@@b\\*.txt", "setvar resultList="}},
      {"three backslashes in the list file's path become one", u"E:\\Book.exe",
       u"function_TxtListSaveToFile@@@@@@.txt", {"search E:\\\\\\*.txt", "files.write E:\\TxtList.txt [&name=&]"}},
      {"the suffix keeps its separators", u"D:\\Books\\Sample.exe", u"function_TxtListSaveToFile@@@d@@@a@@@b",
       {"search D:\\Books\\d\\*.txt", "files.write D:\\Books\\d\\TxtLista@@@b [&name=&]"}},
      {"characters the code page cannot hold are lost before the search", u"D:\\Books\\Sample.exe",
       u"function_TxtListSaveToFile@@@\u0E01@@@.txt", {"search D:\\Books\\?\\*.txt", "files.write D:\\Books\\?\\TxtList.txt [&name=&]"}},
      {"no suffix field: ignored", u"D:\\Books\\Sample.exe", u"function_TxtListSaveToFile@@@TxtData", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    world.executable = c.executable;
    EXPECT_EQ(AfterShell(world, c.args), c.expected);
  }
}

TEST_F(NoteLists, AListFileThatCannotBeWrittenIsDropped) {
  world.files.failingWrites = {"D:\\Books\\TxtData\\TxtList.txt"};
  EXPECT_EQ(AfterShell(world, u"function_TxtListSaveToFile@@@TxtData@@@.txt"),
            (Journal{"search D:\\Books\\TxtData\\*.txt",
                     "files.write D:\\Books\\TxtData\\TxtList.txt [&name=memo1,memo2&] (fails)"}));
  EXPECT_TRUE(world.files.contents.empty());
}

TEST_F(NoteLists, InputParameter) {
  EXPECT_EQ(AfterShell(world, u"function_InputParameter"), Journal{"setvar 변수명="});
  world.environment.argument1 = u"12 34";
  EXPECT_EQ(AfterShell(world, u"function_InputParameter@@@x"), Journal{"setvar 변수명=12 34"});
}

}  // namespace
}  // namespace vellix
