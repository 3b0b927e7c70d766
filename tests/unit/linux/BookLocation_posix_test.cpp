#include <gtest/gtest.h>

#include "linux/BookLocation.h"
#include "support/TempFolder.h"

namespace vellix {
namespace {

TEST(LocateBook, ThePathNamesTheExecutableTheMovieOrTheFolder) {
  testing::TempFolder dir;
  const std::string root = dir.Path().string();
  dir.Write("one/Sample.swf", "FWS");
  dir.Write("one/other.txt", "x");
  dir.Write("exe/Book.exe", "MZ");
  dir.Write("exe/Book.SWF", "FWS");
  dir.Write("exe/stray.swf", "FWS");
  dir.Write("marked/Intro.swf", "FWS");
  dir.Write("marked/Main.swf", "FWS");
  dir.Write("marked/Main_Page_Img/Page_Var.txt", "");
  dir.Write("two/A.swf", "FWS");
  dir.Write("two/A.exe", "MZ");
  dir.Write("two/B.swf", "FWS");
  dir.Write("two/B_Page_Img/Page_Var.txt", "");
  dir.Write("none/readme.txt", "x");
  dir.Write("loose/x.swf", "FWS");
  dir.Write("loose/y.swf", "FWS");

  const struct {
    std::string given, executable, error;  // the error's beginning
  } cases[] = {
      {root + "/one", root + "/one/Sample.exe", ""},
      {root + "/one/", root + "/one/Sample.exe", ""},
      {root + "/one/Sample.swf", root + "/one/Sample.exe", ""},
      {root + "/exe/Book.exe", root + "/exe/Book.exe", ""},
      {root + "/exe", root + "/exe/Book.exe", ""},  // the movie beside an executable is the book
      {root + "/marked", root + "/marked/Main.exe", ""},
      {root + "/exe/../one", root + "/one/Sample.exe", ""},
      {root + "/two", "", "The folder"},
      {root + "/none", "", "The folder"},
      {root + "/loose", "", "The folder"},
      {root + "/one/other.txt", "", root + "/one/other.txt is not a book"},
      {root + "/missing", "", "There is no file or folder"},
      {"", "", "No book"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    BookLocation found = LocateBook(c.given);
    EXPECT_EQ(found.executable, c.executable);
    EXPECT_EQ(found.error.compare(0, c.error.size(), c.error), 0) << found.error;
    EXPECT_EQ(found.found(), c.error.empty());
  }
  EXPECT_NE(LocateBook(root + "/two").error.find("A.swf"), std::string::npos) << "several books are named";
}

}  // namespace
}  // namespace vellix
