#include <gtest/gtest.h>

#include "book/VellixViewerMainFormUnit.h"
#include "support/FormFakes.h"
#include "support/TempFolder.h"

namespace vellix {
namespace {

using testing::FakeBook;
using testing::Journal;

// The journal from `from` on.
Journal Since(const Journal& journal, std::size_t from) { return Journal(journal.begin() + from, journal.end()); }

TEST(PlayerForm, ConstructionGivesTheDialogsTheirFiltersAndBindsNothingElse) {
  FakeBook book;
  BookPaths paths = MakeBookPaths(u"D:\\Books\\Sample.exe");
  TPlayerForm form(paths, book.window, book.Ports());
  EXPECT_EQ(book.journal, (Journal{"dialog[img].filter=ImageFile|*.jpg;*.bmp", "dialog[file].filter=PDF 파일|*.pdf",
                                  "dialog[open].filter=텍스트 파일|*.txt"}));
  EXPECT_EQ(&form.FlashPlayer, &book.window.flash);
  EXPECT_EQ(&form.Form(), &book.window.form);
}

// Creation over real settings files in a book folder of the test's own: the
// caption comes first, then the geometry, the state, an error, the movie.
TEST(PlayerForm, FormCreateAppliesTheSettingsThenSetsTheMovie) {
  struct Case {
    const char* name;
    const char* exe;
    const char* settings;  // nullptr: no settings file
    Size screen;
    Journal expected;  // "<movie>" stands for the book's movie path
  } cases[] = {
      {"no settings file: titled after the executable, maximised", "Sample.exe", nullptr, {1024, 768},
       {"book.caption=Sample", "book.state=maximized", "<movie>"}},
      {"launcher without settings", "launcher.exe", nullptr, {1024, 768},
       {"book.caption=Vellix EBook Viewer", "book.state=maximized", "<movie>"}},
      {"explicit size centres the window's current size", "Sample.exe", "&title=Tom %26 Jerry&\r\n&width=1024&\r\n&height=768&",
       {1920, 1080}, {"book.caption=Tom & Jerry", "book.bounds=552,221,1024x768", "<movie>"}},
      {"full screen after the geometry", "Sample.exe", "&fullscreen=true&\r\n&width=1024&\r\n&height=768&", {1920, 1080},
       {"book.caption=", "book.bounds=552,221,1024x768", "book.state=maximized", "<movie>"}},
      {"a width that is no integer is reported; the book still opens", "Sample.exe", "&title=T&&width=abc&", {1024, 768},
       {"book.caption=T", "exception ''abc'' is not a valid integer value", "<movie>"}},
      {"width 0 maximises", "Sample.exe", "&title=T&&width=0&&height=x&", {1024, 768},
       {"book.caption=T", "book.state=maximized", "<movie>"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempFolder dir;
    if (c.settings) dir.Write(std::string(c.exe, std::string(c.exe).size() - 4) + "_Page_Img/Page_Var.txt", c.settings);
    FakeBook book;
    book.screen.size = c.screen;
    BookPaths paths = MakeBookPaths(dir.TextPath(FromUtf8(c.exe)));
    TPlayerForm form(paths, book.window, book.Ports());
    const std::size_t before = book.journal.size();
    form.FormCreate();
    Journal expected = c.expected;
    for (auto& line : expected)
      if (line == "<movie>") line = "movie.movie=" + testing::ShowText(paths.movie);
    EXPECT_EQ(Since(book.journal, before), expected);
  }
}

TEST(PlayerForm, FormShowHandsArgumentOneToTheMovie) {
  for (const Text& argument : {Text(), Text(u"12"), Text(u"\uCC45 3")}) {
    SCOPED_TRACE(ToUtf8(argument));
    FakeBook book;
    book.world.environment.argument1 = argument;
    BookPaths paths = MakeBookPaths(u"D:\\Books\\Sample.exe");
    TPlayerForm form(paths, book.window, book.Ports());
    const std::size_t before = book.journal.size();
    book.window.form.Show();
    Journal expected;
    if (!argument.empty()) expected.push_back("setvar firstIndex=" + ToUtf8(argument));
    expected.push_back("book.show");
    EXPECT_EQ(Since(book.journal, before), expected);
  }
}

TEST(PlayerForm, TheControlsEventGoesStraightToTheCommands) {
  FakeBook book;
  book.world.environment.argument1 = u"7";
  BookPaths paths = MakeBookPaths(u"D:\\Books\\Sample.exe");
  TPlayerForm form(paths, book.window, book.Ports());
  const std::size_t before = book.journal.size();
  book.window.flash.Fire(u"", u"function_InputParameter");
  book.window.flash.Fire(u"", u"function_full");
  book.window.flash.Fire(u"", u"function_forward");
  EXPECT_EQ(Since(book.journal, before),
            (Journal{"shell.open owner=book file=function_InputParameter params= dir= show=1", "setvar 변수명=7",
                     "book.state=maximized", "book.bring-to-front after 3000 ms"}));
}

TEST(PlayerForm, CloseAskedInsideTheEventHappensAfterIt) {
  FakeBook book;
  BookPaths paths = MakeBookPaths(u"D:\\Books\\Sample.exe");
  TPlayerForm form(paths, book.window, book.Ports());
  const std::size_t before = book.journal.size();
  book.window.flash.OnFSCommand(u"", u"function_close");
  EXPECT_EQ(Since(book.journal, before), Journal{}) << "nothing closes inside the control's event";
  book.loop.RunPosted();
  EXPECT_EQ(Since(book.journal, before), Journal{"book.close"});
}

TEST(PlayerForm, ACloseStillQueuedWhenTheFormIsGoneDoesNothing) {
  FakeBook book;
  BookPaths paths = MakeBookPaths(u"D:\\Books\\Sample.exe");
  {
    TPlayerForm form(paths, book.window, book.Ports());
    book.window.flash.Fire(u"", u"function_close");
  }
  const std::size_t before = book.journal.size();
  book.loop.RunPosted();
  EXPECT_EQ(Since(book.journal, before), Journal{});
}

// The popup routine, end to end over the fakes: request, window, movies,
// first page, show; then each way a popup closes.
class PopupTest : public ::testing::Test {
 protected:
  PopupTest() : paths(MakeBookPaths(u"D:\\Books\\Demo.exe")), form(paths, book.window, book.Ports()) {}

  std::size_t Mark() const { return book.journal.size(); }
  Journal From(std::size_t mark) const { return Since(book.journal, mark); }
  testing::FakeChildWindow& Popup(std::size_t i) { return *book.window.popups.at(i); }

  FakeBook book;
  BookPaths paths;
  TPlayerForm form;
};

TEST_F(PopupTest, ARequestOpensAWindowPlayingTheContentsMovieAtItsPage) {
  book.screen.size = Size{1024, 768};
  std::size_t mark = Mark();
  book.window.flash.Fire(u"function", u"PopUpForm@@@sub/pop1.swf@@@12");
  EXPECT_EQ(From(mark), (Journal{
                            "popup1 created: 545x376 maximized single close only info-text panel",
                            "popup1.flash.movie=about:blank",
                            "popup1.flash.movie=D:\\Books\\Demo_Page_Img\\contents\\sub\\pop1.swf",
                            "popup1.flash.setvar _root.BOOKLOAD_FIRSTPAGE=12",
                            // The control is centred on the screen; its alignment then fills the panel.
                            "popup1.flash.bounds=239,196,545x376",
                            "popup1.show",
                        }));
  ASSERT_EQ(form.Popups().size(), 1u);
  EXPECT_EQ(form.Popups()[0]->Form().OuterSize().width, 551);
}

TEST_F(PopupTest, RequestsThatAreNoPopupOpenNothing) {
  std::size_t mark = Mark();
  for (const Text& args : {Text(u"popupform@@@pop1.swf@@@1"), Text(u"PopUpForm"), Text(u"function_full")})
    book.window.flash.Fire(u"function", args);
  EXPECT_EQ(From(mark), Journal{});
  EXPECT_TRUE(form.Popups().empty());
}

TEST_F(PopupTest, AnyNumberAtOnceEachClosedOnItsOwn) {
  book.window.flash.Fire(u"function", u"PopUpForm@@@a.swf@@@1");
  book.window.flash.Fire(u"function", u"PopUpForm@@@b.swf@@@2");
  book.window.flash.Fire(u"function", u"PopUpForm@@@c.swf@@@3");
  ASSERT_EQ(form.Popups().size(), 3u);
  ASSERT_EQ(book.window.popupsAlive, 3);

  // The second one's movie asks to close: only once its event has returned.
  std::size_t mark = Mark();
  Popup(1).flash.Fire(u"x", u"function_close");
  EXPECT_EQ(From(mark), Journal{});
  book.loop.RunPosted();
  EXPECT_EQ(From(mark), (Journal{"popup2.flash.focus", "popup2.flash.destroy", "popup2.hide"}));
  EXPECT_EQ(book.window.popupsAlive, 2) << "the closed popup's window is gone once its event has returned";
  ASSERT_EQ(form.Popups().size(), 2u);

  // Enter on the first one, the close button on the third.
  mark = Mark();
  Popup(0).form.TypeKey(u'a');
  Popup(0).form.TypeKey(13);
  Popup(2).form.PressCloseButton();
  EXPECT_EQ(From(mark), (Journal{"popup1.flash.focus", "popup1.flash.destroy", "popup1.hide", "popup3.flash.focus",
                                 "popup3.flash.destroy", "popup3.hide"}));
  EXPECT_TRUE(form.Popups().empty());
  book.loop.RunPosted();
  EXPECT_EQ(book.window.popupsAlive, 0);
}

TEST_F(PopupTest, APopupClosesOnceAndHandsItsOtherCommandsToTheShell) {
  book.window.flash.Fire(u"function", u"PopUpForm@@@a.swf@@@1");
  testing::FakeChildWindow& popup = Popup(0);
  std::size_t mark = Mark();
  popup.flash.Fire(u"function_close", u"docs/a.pdf");
  popup.flash.Fire(u"", u"Function_Close");
  EXPECT_EQ(From(mark), (Journal{"shell.open owner=none file=docs/a.pdf params= dir= show=1",
                                 "shell.open owner=none file=Function_Close params= dir= show=1"}));
  // Two closes in a row, then Enter before the window has gone.
  popup.flash.Fire(u"", u"function_close");
  popup.flash.Fire(u"", u"function_close");
  mark = Mark();
  book.loop.RunPosted();
  EXPECT_EQ(From(mark), (Journal{"popup1.flash.focus", "popup1.flash.destroy", "popup1.hide"}));
  EXPECT_EQ(book.window.popupsAlive, 0);
}

TEST_F(PopupTest, PopupsStillOpenGoWithTheBookWithoutClosing) {
  FakeBook other;
  BookPaths demo = MakeBookPaths(u"D:\\Books\\Demo.exe");
  std::size_t mark;
  {
    TPlayerForm book2(demo, other.window, other.Ports());
    other.window.flash.Fire(u"function", u"PopUpForm@@@a.swf@@@1");
    other.window.flash.Fire(u"function", u"PopUpForm@@@b.swf@@@2");
    other.window.popups[1]->flash.Fire(u"", u"function_close");  // still queued when the book goes
    mark = other.journal.size();
  }
  EXPECT_EQ(other.window.popupsAlive, 0);
  other.loop.RunPosted();
  EXPECT_EQ(Since(other.journal, mark), Journal{}) << "no close handler runs, now or later";
}

}  // namespace
}  // namespace vellix
