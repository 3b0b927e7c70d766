#include <gtest/gtest.h>

#include "commands/Dispatcher.h"
#include "commands/Fakes.h"
#include "commands/MemoStore.h"
#include "commands/TextFile.h"

namespace vellix {
namespace {

using testing::FakeWorld;
using testing::Journal;

Journal AfterShell(FakeWorld& world, const Text& args) {
  FlashPlayerFSCommand(world.Ports(), u"", args);
  EXPECT_FALSE(world.journal.empty());
  if (world.journal.empty()) return {};
  // Every head command is first offered to the shell whole.
  EXPECT_EQ(world.journal.front().rfind("shell.open owner=book file=function_", 0), 0u) << world.journal.front();
  return Journal(world.journal.begin() + 1, world.journal.end());
}

TEST(TextFile, EveryLineFeedGainsACarriageReturn) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"\n", "\r\n"},
      {"a\nb\n", "a\r\nb\r\n"},
      {"\r\n", "\r\r\n"},
      {"\r", "\r"},
      {"\n\n", "\r\n\r\n"},
      {std::string("\0\x1A\xFF", 3), std::string("\0\x1A\xFF", 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::ShowBytes(c.in));
    EXPECT_EQ(ToTextModeBytes(c.in), c.out);
  }
}

TEST(MemoStore, SavesOnTheFirstRemovableDriveAndLoadsItsFolder) {
  FakeWorld world;
  Journal saved = AfterShell(world, u"function_saveTextFile@@@Hello\nWorld@@@memo1.txt");
  Journal expected = {"files.mkdir E:\\TxtData", "files.write E:\\TxtData\\memo1.txt [Hello\\r\\nWorld]",
                      "setvar saveSuccess=success"};
  EXPECT_EQ(saved, expected);
  EXPECT_EQ(world.files.contents["E:\\TxtData\\memo1.txt"],
            std::string("\x48\x65\x6C\x6C\x6F\x0D\x0A\x57\x6F\x72\x6C\x64", 12));

  world.journal.clear();
  Journal loaded = AfterShell(world, u"function_loadTextFile@@@ignored/text");
  EXPECT_EQ(loaded, (Journal{"setvar loadTxt=E:\\TxtData\\", "setvar loadSuccess=success"}));
}

TEST(MemoStore, MemoBytes) {
  const struct {
    const char* name;
    Text args;
    std::string path;
    std::string bytes;
  } cases[] = {
      {"Korean in code page 949", u"function_saveTextFile@@@\uAC00\uB098@@@k.txt", "E:\\TxtData\\k.txt",
       "\xB0\xA1\xB3\xAA"},
      {"CR LF becomes CR CR LF", u"function_saveTextFile@@@a\r\nb@@@crlf.txt", "E:\\TxtData\\crlf.txt", "a\r\r\nb"},
      {"empty memo, empty file", u"function_saveTextFile@@@@@@empty.txt", "E:\\TxtData\\empty.txt", ""},
      {"the memo keeps its slashes, the file name does not", u"function_saveTextFile@@@1/2 and a\\b@@@sub/m.txt",
       "E:\\TxtData\\sub\\m.txt", "1/2 and a\\b"},
      {"a separator in the memo cuts it; the rest names the file", u"function_saveTextFile@@@a@@@b@@@c.txt",
       "E:\\TxtData\\b@@@c.txt", "a"},
      {"nothing in the name is interpreted", u"function_saveTextFile@@@x@@@100%.txt", "E:\\TxtData\\100%.txt", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWorld world;
    Journal journal = AfterShell(world, c.args);
    ASSERT_EQ(world.files.contents.count(c.path), 1u) << ::testing::PrintToString(journal);
    EXPECT_EQ(world.files.contents[c.path], c.bytes);
    EXPECT_EQ(journal.back(), "setvar saveSuccess=success");
  }
}

TEST(MemoStore, SearchesDrivesCToZAndTakesTheFirstRemovable) {
  FakeWorld world;
  world.drives.types = {{"A:\\", 2}, {"B:\\", 2}, {"C:\\", 3}, {"G:\\", 2}, {"H:\\", 2}};
  EXPECT_EQ(FindRemovableRoot(world.drives), Text(u"G:\\"));
  EXPECT_EQ(world.drives.asked, (std::vector<std::string>{"C:\\", "D:\\", "E:\\", "F:\\", "G:\\"}));

  world.drives.asked.clear();
  world.drives.types.erase("G:\\");
  world.drives.types.erase("H:\\");
  EXPECT_EQ(FindRemovableRoot(world.drives), std::nullopt);
  ASSERT_EQ(world.drives.asked.size(), 24u);
  EXPECT_EQ(world.drives.asked.front(), "C:\\");
  EXPECT_EQ(world.drives.asked.back(), "Z:\\");
}

// Where the system lists its mounts instead of drive letters, the first
// removable one takes E:'s place and its own separator builds the paths.
TEST(MemoStore, MountRootsUseTheirOwnSeparator) {
  FakeWorld world;
  world.drives.mounts = {u"/media/reader/DISK/", u"/media/reader/\uBA54\uBAA8 STICK/"};
  world.drives.types = {{"/media/reader/\xB8\xDE\xB8\xF0 STICK/", Drives::kRemovable}};
  EXPECT_EQ(AfterShell(world, u"function_saveTextFile@@@x@@@sub/m.txt"),
            (Journal{"files.mkdir /media/reader/\\xB8\\xDE\\xB8\\xF0 STICK/TxtData",
                     "files.write /media/reader/\\xB8\\xDE\\xB8\\xF0 STICK/TxtData/sub\\m.txt [x]",
                     "setvar saveSuccess=success"}));
  world.journal.clear();
  EXPECT_EQ(AfterShell(world, u"function_loadTextFile"),
            (Journal{"setvar loadTxt=/media/reader/메모 STICK/TxtData/", "setvar loadSuccess=success"}));
}

TEST(MemoStore, AnswersFailWhenNothingWasStored) {
  {
    SCOPED_TRACE("only fixed drives");
    FakeWorld world;
    world.drives.types = {{"C:\\", 3}, {"D:\\", 3}};
    EXPECT_EQ(AfterShell(world, u"function_saveTextFile@@@memo@@@m.txt"), Journal{"setvar saveSuccess=fail"});
    world.journal.clear();
    EXPECT_EQ(AfterShell(world, u"function_loadTextFile"), Journal{"setvar loadSuccess=fail"});
  }
  {
    SCOPED_TRACE("the file cannot be written: the earlier memo stays, nothing is removed");
    FakeWorld world;
    world.files.contents["E:\\TxtData\\m.txt"] = "earlier";
    world.files.failingWrites = {"E:\\TxtData\\m.txt"};
    Journal expected = {"files.mkdir E:\\TxtData", "files.write E:\\TxtData\\m.txt [memo] (fails)",
                        "setvar saveSuccess=fail"};
    EXPECT_EQ(AfterShell(world, u"function_saveTextFile@@@memo@@@m.txt"), expected);
    EXPECT_EQ(world.files.contents["E:\\TxtData\\m.txt"], "earlier");
  }
  {
    SCOPED_TRACE("no file name field: nothing written, no drive asked");
    FakeWorld world;
    EXPECT_EQ(AfterShell(world, u"function_saveTextFile@@@Hello"), Journal{"setvar saveSuccess=fail"});
    EXPECT_TRUE(world.drives.asked.empty());
  }
}

TEST(MemoStore, SavingTwiceKeepsTheSecondText) {
  FakeWorld world;
  AfterShell(world, u"function_saveTextFile@@@first text@@@m.txt");
  AfterShell(world, u"function_saveTextFile@@@second@@@m.txt");
  EXPECT_EQ(world.files.contents["E:\\TxtData\\m.txt"], "second");
}

}  // namespace
}  // namespace vellix
