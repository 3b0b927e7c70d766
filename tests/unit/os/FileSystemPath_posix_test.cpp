#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "os/FileSystemPath.h"
#include "support/TempFolder.h"

namespace vellix {
namespace {

// Books name their files as Windows finds them: any letter case, "\"
// between names, "." and ".." read from the text alone.
TEST(FileSystemPath, FindsWindowsNamesOnLinux) {
  testing::TempFolder dir;
  dir.Write("Sample_Page_Img/Contents/Pic.JPG", "p");
  dir.Write("OTHER/x.txt", "x");
  dir.Write("\xEA\xB0\x80\xEB\x82\x98/Memo.txt", "k");  // 가나/Memo.txt
  std::filesystem::create_directory(dir.Path() / "TxtData");
  const std::string root = dir.Path().string();
  const Text base = dir.TextPath();

  const struct {
    const char* name;
    Text path;
    std::string expected;
  } cases[] = {
      {"every component in another case", base + u"\\sample_page_img\\contents\\pic.jpg",
       root + "/Sample_Page_Img/Contents/Pic.JPG"},
      {"slashes and backslashes mixed", base + u"/SAMPLE_PAGE_IMG\\Contents/PIC.jpg",
       root + "/Sample_Page_Img/Contents/Pic.JPG"},
      {"Korean names in UTF-8, Latin part in another case", base + u"\\\uAC00\uB098\\MEMO.TXT",
       root + "/\xEA\xB0\x80\xEB\x82\x98/Memo.txt"},
      {"a missing name and what follows stay as spelled", base + u"\\Missing\\Pic.jpg", root + "/Missing/Pic.jpg"},
      {"a new file in an existing folder of another case", base + u"\\txtdata\\memo1.txt",
       root + "/TxtData/memo1.txt"},
      {".. climbs out of a folder that does not exist", base + u"\\NoSuchFolder\\..\\other\\X.TXT",
       root + "/OTHER/x.txt"},
      {".. climbs out of a folder found in another case", base + u"\\txtdata\\..\\other\\x.txt",
       root + "/OTHER/x.txt"},
      {".. beyond the book folder", base + u"\\Other\\..\\..\\" + FromUtf8(dir.Path().filename().string()) +
                                        u"\\other\\x.txt",
       root + "/OTHER/x.txt"},
      {"\".\" and doubled separators vanish", base + u"\\.\\\\other\\\\.\\x.txt", root + "/OTHER/x.txt"},
      {"a trailing separator is kept", base + u"\\TXTDATA\\", root + "/TxtData/"},
      {"the folder itself with a trailing \"\\.\"", base + u"\\TxtData\\.", root + "/TxtData"},
      {".. of the root is the root", u"\\..\\..\\", "/"},
      {"a relative path may start above its folder", u"..\\..\\NoSuchName", "../../NoSuchName"},
      {"a relative path that climbs back to its start", u"NoSuchName\\..", "."},
      {"empty", u"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FileSystemPath(c.path), c.expected);
  }
}

// Two names that differ only in case: the one spelled as asked wins, even
// when the other comes first in the folder.
TEST(FileSystemPath, ExactSpellingWinsOverAnotherCase) {
  testing::TempFolder dir;
  dir.Write("memo.txt", "lower");
  dir.Write("MEMO.txt", "upper");
  const std::string root = dir.Path().string();
  EXPECT_EQ(FileSystemPath(dir.TextPath(u"MEMO.txt")), root + "/MEMO.txt");
  EXPECT_EQ(FileSystemPath(dir.TextPath(u"memo.txt")), root + "/memo.txt");
  std::string other = FileSystemPath(dir.TextPath(u"Memo.TXT"));
  EXPECT_TRUE(other == root + "/memo.txt" || other == root + "/MEMO.txt") << other;
}

// A mounted file system is what a drive is on Windows: ".." stops at its
// root, so a memo name cannot climb off its medium. /proc is mounted on
// every Linux system.
TEST(FileSystemPath, DotDotStopsWhereAFileSystemIsMounted) {
  struct stat proc, root;
  ASSERT_EQ(stat("/proc", &proc), 0);
  ASSERT_EQ(stat("/", &root), 0);
  if (proc.st_dev == root.st_dev) GTEST_SKIP() << "/proc is not a file system of its own here";
  EXPECT_EQ(FileSystemPath(u"\\proc\\self\\..\\..\\..\\etc"), "/proc/etc");
  EXPECT_EQ(FileSystemPath(u"/proc/sys/../SELF"), "/proc/self");
}

}  // namespace
}  // namespace vellix
