#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commands/Fakes.h"
#include "commands/NoteLists.h"
#include "commands/TextFile.h"
#include "os/Ports_linux.h"
#include "support/TempFolder.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

namespace fs = std::filesystem;

// A fresh folder of the test's own; program paths into it are written as a
// book written for Windows names them: "\" between names, code page 949.
class InTempFolder : public ::testing::Test {
 protected:
  // `name` uses "\" below the folder, as the core builds paths.
  std::string Ansi(const Text& name) const { return ToAnsi(dir_.TextPath() + u"\\" + name); }
  fs::path Native(const std::string& utf8) const { return dir_.Path() / utf8; }
  void MakeFile(const std::string& utf8, const std::string& bytes = "x") const { dir_.Write(utf8, bytes); }
  void MakeFolder(const std::string& utf8) const { fs::create_directories(Native(utf8)); }
  std::optional<std::string> Read(const std::string& utf8) const {
    if (!fs::is_regular_file(Native(utf8))) return std::nullopt;
    return testing::TempFolder::Read(Native(utf8));
  }
  // The names in a folder, sorted.
  std::vector<std::string> Entries(const std::string& utf8 = std::string()) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(utf8.empty() ? dir_.Path() : Native(utf8)))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  mode_t Mode(const std::string& utf8) const {
    struct stat st;
    EXPECT_EQ(stat(Native(utf8).c_str(), &st), 0) << utf8;
    return st.st_mode & 07777;
  }
  const testing::TempFolder& Dir() const { return dir_; }

 private:
  testing::TempFolder dir_;
};

// Makes every write past `bytes` fail as on a full medium, for one scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = SIG_DFL;
};

using LinuxFilesTest = InTempFolder;
using LinuxFileSearchTest = InTempFolder;

TEST_F(LinuxFilesTest, WritesExactBytesUnderWindowsNames) {
  LinuxFiles files;
  MakeFolder("TxtData");
  MakeFile("TxtData/MEMO1.TXT", "an older and longer text");

  // The existing file is found in another case and replaced, not joined by a
  // second file of the same name.
  const std::string memo("Hello\r\nWorld", 12);
  ASSERT_TRUE(files.Write(Ansi(u"txtdata\\memo1.txt"), memo));
  EXPECT_EQ(Read("TxtData/MEMO1.TXT"), memo);
  EXPECT_EQ(Entries("TxtData"), std::vector<std::string>{"MEMO1.TXT"});

  // A Korean name in code page 949 is stored as UTF-8; the content keeps
  // its code page bytes.
  ASSERT_TRUE(WriteTextFile(files, Ansi(u"TxtData\\\uAC00\uB098.txt"), ToAnsi(u"\uAC00\uB098\n")));
  EXPECT_EQ(Read("TxtData/\xEA\xB0\x80\xEB\x82\x98.txt"), std::string("\xB0\xA1\xB3\xAA\r\n"));

  // Empty bytes give an empty file.
  ASSERT_TRUE(files.Write(Ansi(u"TXTDATA\\Memo1.txt"), ""));
  EXPECT_EQ(Read("TxtData/MEMO1.TXT"), std::string());

  // A path that climbs out with ".." through a folder that is not there.
  ASSERT_TRUE(files.Write(Ansi(u"Nowhere\\..\\TxtData\\up.txt"), "u"));
  EXPECT_EQ(Read("TxtData/up.txt"), std::string("u"));
}

TEST_F(LinuxFilesTest, FailedWritesReportFalse) {
  LinuxFiles files;
  MakeFolder("folder.txt");
  MakeFile("plain.txt");
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"missing folder", Ansi(u"missing\\memo.txt")},
      {"a folder in the file's place", Ansi(u"FOLDER.TXT")},
      {"a path through a regular file", Ansi(u"plain.txt\\memo.txt")},
      {"a zero character in the name", Ansi(u"plain.txt") + std::string(1, '\0') + "x"},
      {"empty path", ""},
      // The device refuses every byte, as a full medium does.
      {"full device", "/dev/full"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(files.Write(c.path, "memo"));
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.txt", "plain.txt"}));
  EXPECT_EQ(Read("plain.txt"), std::string("x"));
}

TEST_F(LinuxFilesTest, WriteOnAFullMediumFailsAndTheTextWriterLeavesNoFile) {
  LinuxFiles files;
  const std::string memo(64 * 1024, 'm');
  {
    FileSizeLimit full(4096);
    EXPECT_FALSE(files.Write(Ansi(u"raw.txt"), memo));
    EXPECT_FALSE(WriteTextFile(files, Ansi(u"memo.txt"), memo));
  }
  EXPECT_EQ(Read("memo.txt"), std::nullopt);
}

// A save that fails on a full medium leaves the earlier memo of that name
// whole, and no temporary file beside it.
TEST_F(LinuxFilesTest, AFailedWriteKeepsTheEarlierFile) {
  LinuxFiles files;
  MakeFile("TxtData/memo.txt", "the earlier memo");
  {
    FileSizeLimit full(4096);
    EXPECT_FALSE(WriteTextFile(files, Ansi(u"TxtData\\memo.txt"), std::string(64 * 1024, 'm')));
  }
  EXPECT_EQ(Read("TxtData/memo.txt"), std::string("the earlier memo"));
  EXPECT_EQ(Entries("TxtData"), std::vector<std::string>{"memo.txt"});
  EXPECT_TRUE(files.Write(Ansi(u"TxtData\\memo.txt"), "new"));
  EXPECT_EQ(Read("TxtData/memo.txt"), std::string("new"));
  EXPECT_EQ(Entries("TxtData"), std::vector<std::string>{"memo.txt"});
}

TEST_F(LinuxFilesTest, WriteIntoAReadOnlyFolderFails) {
  // Permission bits do not stop the superuser; the other failure tests do
  // not depend on them.
  if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder is still writable";
  LinuxFiles files;
  MakeFolder("locked");
  fs::permissions(Native("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(files.Write(Ansi(u"Locked\\memo.txt"), "m"));
  EXPECT_FALSE(files.CreateFolder(Ansi(u"Locked\\sub")));
  EXPECT_EQ(Read("locked/memo.txt"), std::nullopt);
}

TEST_F(LinuxFilesTest, CopyReplacesTheDestination) {
  LinuxFiles files;
  MakeFile("Book_Page_Img/Contents/Report.HWP", "new");
  MakeFile("Saved/report.hwp", "the old and longer report");
  fs::permissions(Native("Saved/report.hwp"), fs::perms(0600));

  EXPECT_TRUE(files.Copy(Ansi(u"book_page_img\\contents\\report.hwp"), Ansi(u"saved\\REPORT.hwp")));
  EXPECT_EQ(Read("Saved/report.hwp"), std::string("new"));
  EXPECT_EQ(Entries("Saved"), std::vector<std::string>{"report.hwp"});
  EXPECT_EQ(Mode("Saved/report.hwp"), 0600u) << "a replaced file keeps its permissions";

  // A new file: readable and writable as the umask allows; a program stays
  // executable.
  mode_t mask = umask(022);
  MakeFile("tool.sh", "#!/bin/sh\n");
  fs::permissions(Native("tool.sh"), fs::perms(0755));
  EXPECT_TRUE(files.Copy(Ansi(u"Book_Page_Img\\Contents\\Report.HWP"), Ansi(u"Saved\\\uAC00.hwp")));
  EXPECT_TRUE(files.Copy(Ansi(u"TOOL.SH"), Ansi(u"Saved\\tool.sh")));
  umask(mask);
  EXPECT_EQ(Read("Saved/\xEA\xB0\x80.hwp"), std::string("new"));
  EXPECT_EQ(Mode("Saved/\xEA\xB0\x80.hwp"), 0644u);
  EXPECT_EQ(Mode("Saved/tool.sh"), 0755u);

  // A file copied onto itself is still whole.
  EXPECT_TRUE(files.Copy(Ansi(u"saved\\report.hwp"), Ansi(u"Saved\\report.hwp")));
  EXPECT_EQ(Read("Saved/report.hwp"), std::string("new"));
}

TEST_F(LinuxFilesTest, FailedCopyLeavesTheDestinationAsItWas) {
  LinuxFiles files;
  MakeFile("big.wmv", std::string(256 * 1024, 'v'));
  MakeFile("Saved/movie.wmv", "the reader's own file");
  MakeFolder("Saved/folder.wmv");
  MakeFolder("Source.wmv");
  const struct {
    const char* name;
    std::string source;
    std::string destination;
  } cases[] = {
      {"missing source", Ansi(u"absent.wmv"), Ansi(u"Saved\\movie.wmv")},
      {"source is a folder", Ansi(u"source.wmv"), Ansi(u"Saved\\movie.wmv")},
      {"source is a device that never ends", "/dev/zero", Ansi(u"Saved\\movie.wmv")},
      {"destination folder missing", Ansi(u"big.wmv"), Ansi(u"Nowhere\\movie.wmv")},
      {"destination is a folder", Ansi(u"big.wmv"), Ansi(u"saved\\FOLDER.WMV")},
      {"destination names a folder", Ansi(u"big.wmv"), Ansi(u"Saved\\")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(files.Copy(c.source, c.destination));
  }
  {
    // The medium fills up halfway through the copy.
    FileSizeLimit full(64 * 1024);
    EXPECT_FALSE(files.Copy(Ansi(u"big.wmv"), Ansi(u"Saved\\movie.wmv")));
    EXPECT_FALSE(files.Copy(Ansi(u"big.wmv"), Ansi(u"Saved\\new.wmv")));
  }
  EXPECT_EQ(Read("Saved/movie.wmv"), std::string("the reader's own file"));
  // No partial destination and no temporary file is left behind.
  EXPECT_EQ(Entries("Saved"), (std::vector<std::string>{"folder.wmv", "movie.wmv"}));
  EXPECT_TRUE(fs::is_empty(Native("Saved/folder.wmv")));
}

TEST_F(LinuxFilesTest, FoldersAreCreatedOneLevelAndRemovalTakesFilesOnly) {
  LinuxFiles files;
  EXPECT_TRUE(files.CreateFolder(Ansi(u"TxtData")));
  EXPECT_FALSE(files.CreateFolder(Ansi(u"TXTDATA")));  // there already, in another case
  EXPECT_FALSE(files.CreateFolder(Ansi(u"a\\b")));
  EXPECT_TRUE(files.CreateFolder(Ansi(u"txtdata\\\uB178\uD2B8")));
  EXPECT_TRUE(fs::is_directory(Native("TxtData/\xEB\x85\xB8\xED\x8A\xB8")));

  MakeFile("TxtData/Memo.txt");
  EXPECT_TRUE(files.Remove(Ansi(u"txtdata\\MEMO.TXT")));
  EXPECT_FALSE(files.Remove(Ansi(u"TxtData\\Memo.txt")));
  EXPECT_FALSE(files.Remove(Ansi(u"TxtData")));
  EXPECT_TRUE(fs::is_directory(Native("TxtData")));
}

TEST(MatchesWildcard, WindowsPatterns) {
  const struct {
    Text pattern;
    Text name;
    bool matches;
  } cases[] = {
      {u"*.txt", u"memo.txt", true},
      {u"*.txt", u"MEMO.TXT", true},
      {u"*.TXT", u"memo.Txt", true},
      {u"*.txt", u".txt", true},
      {u"*.txt", u"notes.backup.txt", true},
      {u"*.txt", u"x.txtx", false},
      {u"*.txt", u"memo.txt.bak", false},
      {u"*.txt", u"txt", false},
      {u"*.txt", u"memo_txt", false},
      {u"memo?.txt", u"memo1.txt", true},
      {u"memo?.txt", u"memo.txt", false},
      {u"memo?.txt", u"memo12.txt", false},
      {u"?.txt", u"\uAC00.txt", true},  // one character, not one byte
      {u"*aab", u"aaab", true},         // the star gives back what it took
      {u"a*b*c", u"abxbxc", true},
      {u"a*b*c", u"abxbxcx", false},
      {u"*", u"anything", true},
      {u"**", u"x", true},
      {u"memo.txt", u"Memo.TXT", true},
      {u"memo.txt", u"memo.tx", false},
      {u"", u"memo.txt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.pattern + u" ~ " + c.name));
    EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches);
  }
}

TEST_F(LinuxFileSearchTest, ListsMatchingEntriesInDirectoryOrder) {
  for (const char* name : {"a.txt", "B.TXT", "c.Txt", ".hidden.txt", "x.txtx", "memo.txt.bak", "txt", "notes.doc",
                           "\xEA\xB0\x80\xEB\x82\x98.txt", "Sub/inner.txt"})
    MakeFile(std::string("Notes/") + name);
  MakeFolder("Notes/old.txt");

  LinuxFileSearch search;
  std::vector<Text> found = search.Find(Dir().TextPath() + u"\\notes\\*.txt");
  // Nothing sorted: the order is the folder's own.
  std::vector<Text> inFolderOrder;
  for (const auto& entry : fs::directory_iterator(Native("Notes"))) {
    Text name = FromUtf8(entry.path().filename().string());
    if (MatchesWildcard(name, u"*.txt")) inFolderOrder.push_back(name);
  }
  EXPECT_EQ(found, inFolderOrder);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<Text>{u".hidden.txt", u"B.TXT", u"a.txt", u"c.Txt", u"old.txt", u"\uAC00\uB098.txt"}));

  // Every entry but "." and "..", through a folder reached by "..".
  std::vector<Text> all = search.Find(Dir().TextPath() + u"\\Nowhere\\..\\NOTES\\*");
  EXPECT_EQ(all.size(), 11u);
  EXPECT_EQ(std::count(all.begin(), all.end(), Text(u".")), 0);
  EXPECT_EQ(std::count(all.begin(), all.end(), Text(u"..")), 0);

  EXPECT_TRUE(search.Find(Dir().TextPath() + u"\\absent\\*.txt").empty());
  EXPECT_TRUE(search.Find(Dir().TextPath() + u"\\Notes\\a.txt\\*").empty());
}

// The list commands over the real file system: a folder of another case, a
// Korean folder, the list file in code page 949.
TEST_F(LinuxFileSearchTest, ListCommandsOverRealFolders) {
  MakeFile("TxtData/memo1.txt");
  MakeFile("TxtData/MEMO2.TXT");
  MakeFolder("TxtData/old.txt");
  MakeFile("\xEB\x85\xB8\xED\x8A\xB8/\xEA\xB0\x80.txt");  // 노트/가.txt

  testing::FakeWorld world;
  world.executable = Dir().TextPath(u"Sample.exe");
  LinuxFiles files;
  LinuxFileSearch search;
  CommandPorts fakes = world.Ports();
  CommandPorts ports{fakes.book,          fakes.window,         fakes.movie,    fakes.popups,
                     fakes.shell,         fakes.imgSaveDialog,  fakes.fileSaveDialog, fakes.messages,
                     files,               search,               fakes.drives,   fakes.environment};

  TxtListSaveToFile(u"txtdata@@@.txt", ports);
  std::optional<std::string> record = Read("TxtData/TxtList.txt");
  ASSERT_TRUE(record.has_value());
  std::string names = record->substr(6, record->size() - 7);
  std::vector<std::string> listed;
  for (std::size_t at = 0; at <= names.size();) {
    std::size_t comma = std::min(names.find(',', at), names.size());
    listed.push_back(names.substr(at, comma - at));
    at = comma + 1;
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(record->substr(0, 6), "&name=");
  EXPECT_EQ(record->back(), '&');
  EXPECT_EQ(listed, (std::vector<std::string>{"MEMO2", "memo1", "old"}));

  TxtListSaveToFile(u"\uB178\uD2B8@@@.txt", ports);
  EXPECT_EQ(Read("\xEB\x85\xB8\xED\x8A\xB8/TxtList.txt"), std::string("&name=\xB0\xA1&"));

  world.journal.clear();
  SearchList(u"TXTDATA", ports);
  ASSERT_EQ(world.journal.size(), 1u);
  EXPECT_NE(world.journal[0].find("TxtList.txt@@@"), std::string::npos) << world.journal[0];

  // A list file for a missing folder is dropped without a trace.
  TxtListSaveToFile(u"absent@@@.txt", ports);
  EXPECT_FALSE(fs::exists(Native("absent")));
}

}  // namespace
}  // namespace vellix
