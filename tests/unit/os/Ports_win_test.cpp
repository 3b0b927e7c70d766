#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "commands/Fakes.h"
#include "commands/NoteLists.h"
#include "commands/TextFile.h"
#include "os/Ports_win.h"
#include "support/TempFolder.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A fresh folder of the test's own under the system's temporary folder.
class InTempFolder : public ::testing::Test {
 protected:
  Text Path(const Text& name) const { return dir_.TextPath(name); }
  std::string Ansi(const Text& name) const { return ToAnsi(Path(name)); }
  void MakeFolder(const Text& name) const { ASSERT_TRUE(CreateDirectoryW(Wide(Path(name)), nullptr)); }
  void MakeFile(const Text& name, const std::string& bytes = "x") const { ASSERT_TRUE(Win32Files().Write(Ansi(name), bytes)); }

  // The file's bytes; none when it cannot be opened.
  std::optional<std::string> Read(const Text& name) const {
    std::FILE* file = _wfopen(Wide(Path(name)), L"rb");
    if (!file) return std::nullopt;
    std::string bytes;
    char buf[256];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) bytes.append(buf, n);
    std::fclose(file);
    return bytes;
  }

 private:
  testing::TempFolder dir_;
};

using Win32FilesTest = InTempFolder;
using Win32FileSearchTest = InTempFolder;

TEST_F(Win32FilesTest, WritesExactlyTheBytesGiven) {
  Win32Files files;
  const std::string memo("\x48\x65\x6C\x6C\x6F\x0D\x0A\x57\x6F\x72\x6C\x64", 12);
  ASSERT_TRUE(files.Write(Ansi(u"memo1.txt"), memo));
  EXPECT_EQ(Read(u"memo1.txt"), memo);

  // Through the text-mode writer: LF gains its CR, a lone CR and Korean stay.
  ASSERT_TRUE(WriteTextFile(files, Ansi(u"memo2.txt"), ToAnsi(u"\uAC00\uB098\r\n\x1A")));
  EXPECT_EQ(Read(u"memo2.txt"), std::string("\xB0\xA1\xB3\xAA\r\r\n\x1A"));

  // Replacing a longer file leaves nothing of it; empty bytes give an empty file.
  ASSERT_TRUE(files.Write(Ansi(u"memo1.txt"), ""));
  EXPECT_EQ(Read(u"memo1.txt"), std::string());
}

TEST_F(Win32FilesTest, AnsiNamesReachTheFileSystemInCodePage949) {
  ASSERT_EQ(GetACP(), 949u) << "the test prefix must use code page 949";
  ASSERT_TRUE(Win32Files().Write(Ansi(u"\uAC00\uB098.txt"), "k"));
  EXPECT_EQ(Win32FileSearch().Find(Path(u"*.txt")), std::vector<Text>{u"\uAC00\uB098.txt"});
}

TEST_F(Win32FilesTest, FailedWritesReportFalseAndLeaveNoFile) {
  Win32Files files;
  MakeFolder(u"folder.txt");
  EXPECT_FALSE(files.Write(Ansi(u"missing\\memo.txt"), "x"));
  EXPECT_FALSE(files.Write(Ansi(u"folder.txt"), "x"));
  EXPECT_FALSE(WriteTextFile(files, Ansi(u"missing\\memo.txt"), "x"));
  EXPECT_EQ(Read(u"missing\\memo.txt"), std::nullopt);
  EXPECT_TRUE(Win32FileSearch().Find(Path(u"folder.txt\\*")).empty());
}

// A save that cannot replace the file (here: a read-only one) leaves it as
// it was, and no temporary file beside it.
TEST_F(Win32FilesTest, AFailedWriteKeepsTheEarlierFile) {
  Win32Files files;
  MakeFile(u"memo.txt", "the earlier memo");
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"memo.txt")), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteTextFile(files, Ansi(u"memo.txt"), "new text"));
  EXPECT_EQ(Read(u"memo.txt"), std::string("the earlier memo"));
  EXPECT_EQ(Win32FileSearch().Find(Path(u"*")), std::vector<Text>{u"memo.txt"});
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"memo.txt")), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(files.Write(Ansi(u"memo.txt"), "new"));
  EXPECT_EQ(Read(u"memo.txt"), std::string("new"));
}

TEST_F(Win32FilesTest, CopyReplacesAndReportsFailure) {
  Win32Files files;
  MakeFile(u"source.hwp", "new");
  MakeFile(u"target.hwp", "old and longer");
  EXPECT_TRUE(files.Copy(Ansi(u"source.hwp"), Ansi(u"target.hwp")));
  EXPECT_EQ(Read(u"target.hwp"), std::string("new"));
  EXPECT_FALSE(files.Copy(Ansi(u"absent.hwp"), Ansi(u"target.hwp")));
  EXPECT_EQ(Read(u"target.hwp"), std::string("new"));
}

TEST_F(Win32FilesTest, FoldersAreCreatedOneLevelAtATime) {
  Win32Files files;
  EXPECT_TRUE(files.CreateFolder(Ansi(u"TxtData")));
  EXPECT_FALSE(files.CreateFolder(Ansi(u"TxtData")));  // already there: harmless
  EXPECT_FALSE(files.CreateFolder(Ansi(u"a\\b")));
  EXPECT_TRUE(files.Write(Ansi(u"TxtData\\m.txt"), "x"));
  EXPECT_TRUE(files.Remove(Ansi(u"TxtData\\m.txt")));
  EXPECT_FALSE(files.Remove(Ansi(u"TxtData\\m.txt")));
}

TEST_F(Win32FileSearchTest, ListsEveryMatchingEntryButDotAndDotDot) {
  MakeFile(u"a.txt");
  MakeFile(u"hidden.txt");
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"hidden.txt")), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  MakeFolder(u"old.txt");
  MakeFile(u"notes.doc");
  Win32FileSearch search;
  std::vector<Text> found = search.Find(Path(u"*.txt"));
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<Text>{u"a.txt", u"hidden.txt", u"old.txt"}));

  std::vector<Text> all = search.Find(Path(u"*"));
  EXPECT_EQ(all.size(), 4u);
  EXPECT_EQ(std::count(all.begin(), all.end(), Text(u".")), 0);
  EXPECT_EQ(std::count(all.begin(), all.end(), Text(u"..")), 0);
  EXPECT_TRUE(search.Find(Path(u"absent\\*.txt")).empty());
}

// The list command over the real file system: the folder named old.txt is
// listed like a file, and the list file holds one record in search order.
TEST_F(Win32FileSearchTest, ListFileOverRealFolders) {
  MakeFolder(u"TxtData");
  MakeFile(u"TxtData\\memo1.txt");
  MakeFolder(u"TxtData\\old.txt");
  // The list commands over the real file system, everything else faked.
  testing::FakeWorld world;
  world.executable = Path(u"Sample.exe");
  Win32Files files;
  Win32FileSearch search;
  CommandPorts fakes = world.Ports();
  CommandPorts ports{fakes.book,           fakes.window,   fakes.movie, fakes.popups, fakes.shell,
                     fakes.imgSaveDialog,  fakes.fileSaveDialog, fakes.messages, files, search,
                     fakes.drives,         fakes.environment};

  TxtListSaveToFile(u"TxtData@@@.txt", ports);
  std::optional<std::string> record = Read(u"TxtData\\TxtList.txt");
  ASSERT_TRUE(record.has_value());
  EXPECT_TRUE(*record == "&name=memo1,old&" || *record == "&name=old,memo1&") << *record;

  world.journal.clear();
  SearchList(u"TxtData", ports);
  ASSERT_EQ(world.journal.size(), 1u);
  EXPECT_NE(world.journal[0].find("TxtList.txt@@@"), std::string::npos) << world.journal[0];

  // A list file in a missing folder is dropped without a trace.
  TxtListSaveToFile(u"absent@@@.txt", ports);
  EXPECT_EQ(Read(u"absent\\TxtList.txt"), std::nullopt);
}

TEST(RunningExecutablePath, NamesThisProgram) {
  Text path = RunningExecutablePath();
  EXPECT_EQ(LowerCaseAscii(ExtractFileName(path)), u"unit_os.exe");
}

}  // namespace
}  // namespace vellix
