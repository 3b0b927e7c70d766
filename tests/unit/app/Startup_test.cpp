#include <gtest/gtest.h>

#include "app/Startup.h"
#include "support/FormFakes.h"

namespace vellix {
namespace {

using testing::FakeBook;
using testing::FakeStartup;
using testing::Journal;

struct StartupRig {
  FakeBook book;
  FakeStartup startup{book.journal, std::make_unique<testing::FakePlayerWindow>(book.journal)};
  BookPaths paths = MakeBookPaths(u"D:\\Books\\Sample.exe");

  Journal Run() {
    EXPECT_EQ(RunViewer(startup, paths, book.Ports()), 0);
    return book.journal;
  }
};

const char* const kFilters[] = {"dialog[img].filter=ImageFile|*.jpg;*.bmp", "dialog[file].filter=PDF 파일|*.pdf",
                                "dialog[open].filter=텍스트 파일|*.txt"};

TEST(Startup, IconWindowCreationThenTheLoop) {
  StartupRig rig;
  rig.book.world.environment.argument1 = u"12";
  Journal expected = {"icon of file type D:\\Books\\Sample.exe", "initialize", "task bar on",
                      "book window created: PlayerForm 800x600"};
  expected.insert(expected.end(), std::begin(kFilters), std::end(kFilters));
  // No settings file at D:\Books: titled after the executable, maximised.
  expected.insert(expected.end(), {"book.caption=Sample", "book.state=maximized", "movie.movie=D:\\Books\\Sample.swf",
                                   "run", "setvar firstIndex=12", "book.show", "loop ended"});
  EXPECT_EQ(rig.Run(), expected);
  EXPECT_EQ(PlayerForm, nullptr) << "the global goes with the window";
}

TEST(Startup, TheGlobalIsSetBeforeTheCreationHandlerRuns) {
  StartupRig rig;
  bool seen = false;
  rig.startup.duringRun = [&] { seen = PlayerForm != nullptr && &PlayerForm->Form() == &rig.startup.created->form; };
  rig.Run();
  EXPECT_TRUE(seen);
}

TEST(Startup, AnIconFileBesideTheExecutableIsUsed) {
  StartupRig rig;
  rig.startup.existingFile = u"D:\\Books\\Sample.ico";
  Journal journal = rig.Run();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal[0], "icon from file D:\\Books\\Sample.ico");
  EXPECT_EQ(journal[1], "initialize");
}

TEST(Startup, FailuresBeforeTheLoopShowOneErrorAndEndTheProgram) {
  {
    SCOPED_TRACE("an icon file that holds no icon");
    StartupRig rig;
    rig.startup.existingFile = u"D:\\Books\\Sample.ico";
    rig.startup.iconInvalid = true;
    EXPECT_EQ(rig.Run(), (Journal{"icon from file D:\\Books\\Sample.ico", "exception no valid icon"}));
  }
  {
    SCOPED_TRACE("the Flash control is not registered");
    StartupRig rig;
    rig.startup.controlMissing = true;
    EXPECT_EQ(rig.Run(), (Journal{"icon of file type D:\\Books\\Sample.exe", "initialize", "task bar on",
                                  "book window created: PlayerForm 800x600", "exception Class not registered"}));
  }
}

// An error inside the creation handler is shown; the window still opens.
// One of another type than the program's own shows no text.
TEST(Startup, AnErrorInsideTheCreationHandlerIsShownAndTheLoopRuns) {
  StartupRig rig;
  auto window = std::make_unique<testing::FakePlayerWindow>(rig.book.journal);
  window->flash.refuseMovies = true;
  FakeStartup startup(rig.book.journal, std::move(window));
  EXPECT_EQ(RunViewer(startup, rig.paths, rig.book.Ports()), 0);
  Journal tail(rig.book.journal.end() - 5, rig.book.journal.end());
  EXPECT_EQ(tail, (Journal{"book.state=maximized", "exception ", "run", "book.show", "loop ended"}));
}

}  // namespace
}  // namespace vellix
