#include <gtest/gtest.h>

#include "book/BookPaths.h"

namespace vellix {
namespace {

TEST(BookPaths, DerivesEveryPathFromTheExecutable) {
  struct Case {
    Text exe, folder, base, settings, movie, icon, dir;
  } cases[] = {
      {u"D:\\Books\\Sample.exe", u"D:\\Books\\", u"Sample", u"D:\\Books\\Sample_Page_Img\\Page_Var.txt",
       u"D:\\Books\\Sample.swf", u"D:\\Books\\Sample.ico", u"D:\\Books"},
      {u"D:\\Books\\Sample.vol.exe", u"D:\\Books\\", u"Sample.vol",
       u"D:\\Books\\Sample.vol_Page_Img\\Page_Var.txt", u"D:\\Books\\Sample.vol.swf", u"D:\\Books\\Sample.vol.ico",
       u"D:\\Books"},
      {u"C:\\my.books\\v1.2\\launcher.exe", u"C:\\my.books\\v1.2\\", u"launcher",
       u"C:\\my.books\\v1.2\\launcher_Page_Img\\Page_Var.txt", u"C:\\my.books\\v1.2\\launcher.swf",
       u"C:\\my.books\\v1.2\\launcher.ico", u"C:\\my.books\\v1.2"},
      {u"E:\\\uCC45.exe", u"E:\\", u"\uCC45", u"E:\\\uCC45_Page_Img\\Page_Var.txt", u"E:\\\uCC45.swf",
       u"E:\\\uCC45.ico", u"E:\\"},
      // The Linux viewer's paths: "/" alone separates; the names below the
      // book folder are composed as on Windows.
      {u"/home/reader/\uCC45/Sample.vol.exe", u"/home/reader/\uCC45/", u"Sample.vol",
       u"/home/reader/\uCC45/Sample.vol_Page_Img\\Page_Var.txt", u"/home/reader/\uCC45/Sample.vol.swf",
       u"/home/reader/\uCC45/Sample.vol.ico", u"/home/reader/\uCC45"},
      {u"/srv/my.books/a:b\\c", u"/srv/my.books/", u"a:b\\c", u"/srv/my.books/a:b\\c_Page_Img\\Page_Var.txt",
       u"/srv/my.books/a:b\\c.swf", u"/srv/my.books/a:b\\c.ico", u"/srv/my.books"},
      {u"/Book.exe", u"/", u"Book", u"/Book_Page_Img\\Page_Var.txt", u"/Book.swf", u"/Book.ico", u"/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.exe));
    BookPaths p = MakeBookPaths(c.exe);
    EXPECT_EQ(p.executable, c.exe);
    EXPECT_EQ(p.folder, c.folder);
    EXPECT_EQ(p.baseName, c.base);
    EXPECT_EQ(p.settings, c.settings);
    EXPECT_EQ(p.movie, c.movie);
    EXPECT_EQ(p.icon, c.icon);
    EXPECT_EQ(p.executableDir, c.dir);
  }
  EXPECT_EQ(MakeBookPaths(u"D:\\Books\\Demo.exe").contents, u"D:\\Books\\Demo_Page_Img\\contents\\");
}

}  // namespace
}  // namespace vellix
