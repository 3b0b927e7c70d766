// write-bench-books <folder>: the movies and books the Linux viewer's
// benchmarks play (bench/linux/run), written with our movie writer.
//
//   floor/empty.swf        one empty frame: the bare page's first frame
//   floor/command.swf      fscommand("bench", "ready") on frame 1
//   floor/animated.swf     the animated movie (below), for the bare page
//   Startup/Startup.swf    frame 1: a Korean label and fscommand("bench", "ready")
//   RoundTrip/...          a chain of function_InputParameter requests (below)
//   Popups/...             opens two popups, 6 and 14 seconds after its start
//   Soak/...               opens <firstIndex> popups, one every 1.5 s; each closes itself
//   Animated/...           a sprite moving every frame, 24 frames a second
//
// Every book has <Name>_Page_Img/Page_Var.txt (an 800 x 600 window) and
// the popup movie <Name>_Page_Img/contents/popup.swf. The books' own
// commands are "bench" commands: the dispatcher offers them to the shell,
// which finds nothing to open.
#include <cstdio>
#include <filesystem>
#include <string>

#include "swf/Actions.h"
#include "swf/MovieWriter.h"
#include "swf/SaveFile.h"

namespace {

using vellix::swf::Actions;
using vellix::swf::MovieSpec;
using vellix::swf::MovieWriter;
using vellix::swf::Rgb;

// Round trips in one chain; bench/linux/run drops the first ones.
constexpr int kRoundTrips = 300;
// The InputParameter reply's variable.
constexpr char kReplyVariable[] = "\xEB\xB3\x80\xEC\x88\x98\xEB\xAA\x85";  // 변수명

MovieSpec Spec() { return MovieSpec{8, 800, 600, 24, Rgb{255, 255, 255}}; }

// Pushes getTimer().
void PushTimer(Actions& a) { a.GetTime(); }

// A timeline whose frame 2 runs its actions on every frame: frame 1 sets up,
// frame 2 checks, frame 3 goes back to frame 2.
std::string Looping(const Actions& setup, const Actions& each, MovieWriter& movie) {
  movie.root().Do(setup).ShowFrame();
  movie.root().Do(each).ShowFrame();
  Actions back;
  back.GotoFrame(1).Play();
  movie.root().Do(back).ShowFrame();
  return movie.Finish();
}

void Label(MovieWriter& movie, const std::string& text) {
  vellix::swf::TextFieldSpec t;
  t.width = 400;
  t.height = 40;
  t.font = movie.DefineDeviceFont("_sans");
  t.fontSize = 24;
  t.text = text;
  t.selectable = false;
  movie.root().Place(1, movie.DefineTextField(t), 200, 280);
}

std::string CommandMovie(bool label) {
  MovieWriter movie(Spec());
  if (label) Label(movie, "\xEB\xB2\xA4\xEC\xB9\x98\xEB\xA7\x88\xED\x81\xAC \xEC\xB1\x85");  // 벤치마크 책
  Actions frame;
  frame.FsCommand("bench", "ready").Stop();
  movie.root().Do(frame).ShowFrame();
  return movie.Finish();
}

std::string EmptyMovie() {
  MovieWriter movie(Spec());
  movie.root().ShowFrame();
  return movie.Finish();
}

// Frame 1 watches the reply variable: every reply seen sends the next
// request, kRoundTrips in all, then fscommand("bench", "roundtrip-done").
// The chain starts on frame 24, a second after the movie.
std::string RoundTripMovie() {
  MovieWriter movie(Spec());
  Actions watcher;
  watcher.PushString("_level0.trips").PushString("_level0.trips").GetVariable().PushNumber(1).Add2().SetVariable();
  const Actions::Label done = watcher.NewLabel();
  const Actions::Label end = watcher.NewLabel();
  watcher.PushString("_level0.trips").GetVariable().PushNumber(kRoundTrips).Less2().Not().If(done);
  watcher.FsCommand("", "function_InputParameter").Jump(end);
  watcher.Bind(done).FsCommand("bench", "roundtrip-done");
  watcher.Bind(end).PushString("value").GetVariable().Return();

  Actions setup;
  setup.PushString("_level0.trips").PushNumber(0).SetVariable();
  // _level0.watch(<reply variable>, function (name, old, value) {...})
  setup.DefineFunction("", {"name", "old", "value"}, watcher);
  setup.PushString(kReplyVariable).PushNumber(2).PushString("_level0").GetVariable().PushString("watch").CallMethod().Pop();
  setup.FsCommand("bench", "ready");
  movie.root().Do(setup).ShowFrame();
  for (int i = 2; i < 24; ++i) movie.root().ShowFrame();
  Actions start;
  start.FsCommand("", "function_InputParameter").Stop();
  movie.root().Do(start).ShowFrame();
  return movie.Finish();
}

// Opens the popup movie with `firstPage` when getTimer() passes `ms`;
// `flag` marks it done.
void OpenPopupAfter(Actions& frame, int ms, const std::string& flag, const std::string& firstPage) {
  const Actions::Label skip = frame.NewLabel();
  frame.PushString(flag).GetVariable().If(skip);
  PushTimer(frame);
  frame.PushNumber(ms).Less2().If(skip);
  frame.PushString(flag).PushBool(true).SetVariable();
  frame.FsCommand("bench", "open-" + flag.substr(flag.rfind('.') + 1));
  frame.FsCommand("function", "PopUpForm@@@popup.swf@@@" + firstPage);
  frame.Bind(skip);
}

std::string PopupsMovie() {
  MovieWriter movie(Spec());
  Actions setup;
  setup.FsCommand("bench", "ready");
  Actions each;
  OpenPopupAfter(each, 6000, "_level0.popup1", "stay");
  OpenPopupAfter(each, 14000, "_level0.popup2", "stay");
  return Looping(setup, each, movie);
}

// Opens Number(firstIndex) popups (50 when not given), one every 1.5 s from
// 6 s on; sends fscommand("bench", "soak-opened") after the last.
std::string SoakMovie() {
  MovieWriter movie(Spec());
  Actions setup;
  setup.PushString("_level0.opened").PushNumber(0).SetVariable();
  setup.PushString("_level0.nextAt").PushNumber(6000).SetVariable();
  setup.FsCommand("bench", "ready");
  Actions each;
  const Actions::Label skip = each.NewLabel();
  // count = Number(firstIndex), 50 when that is no positive number
  each.PushString("count").PushString("_level0.firstIndex").GetVariable().PushNumber(1).PushString("Number")
      .CallFunction().DefineLocal();
  const Actions::Label haveCount = each.NewLabel();
  each.PushNumber(0).PushString("count").GetVariable().Less2().If(haveCount);
  each.PushString("count").PushNumber(50).DefineLocal();
  each.Bind(haveCount);
  each.PushString("_level0.opened").GetVariable().PushString("count").GetVariable().Less2().Not().If(skip);
  PushTimer(each);
  each.PushString("_level0.nextAt").GetVariable().Less2().If(skip);
  each.PushString("_level0.nextAt").PushString("_level0.nextAt").GetVariable().PushNumber(1500).Add2().SetVariable();
  each.PushString("_level0.opened").PushString("_level0.opened").GetVariable().PushNumber(1).Add2().SetVariable();
  each.FsCommand("function", "PopUpForm@@@popup.swf@@@close");
  const Actions::Label notLast = each.NewLabel();
  each.PushString("_level0.opened").GetVariable().PushString("count").GetVariable().Less2().If(notLast);
  each.FsCommand("bench", "soak-opened");
  each.Bind(notLast);
  each.Bind(skip);
  return Looping(setup, each, movie);
}

// The popup: fscommand("bench", "popup-ready") on frame 1; on frame 12 it
// closes itself when its first page is "close".
std::string PopupMovie() {
  MovieWriter movie(Spec());
  Label(movie, "\xED\x8C\x9D\xEC\x97\x85");  // 팝업
  Actions first;
  first.FsCommand("bench", "popup-ready");
  movie.root().Do(first).ShowFrame();
  for (int i = 2; i < 12; ++i) movie.root().ShowFrame();
  Actions last;
  const Actions::Label stay = last.NewLabel();
  last.PushString("_root.BOOKLOAD_FIRSTPAGE").GetVariable().PushString("close").Equals2().Not().If(stay);
  last.FsCommand("", "function_close");
  last.Bind(stay).Stop();
  movie.root().Do(last).ShowFrame();
  return movie.Finish();
}

// A 160 x 160 sprite moving 6 pixels to the right every frame, across the
// stage and round again, from its onEnterFrame; 24 frames a second.
std::string AnimatedMovie() {
  MovieWriter movie(Spec());
  vellix::swf::Timeline box;
  box.Place(1, movie.DefineRectangle(160, 160, Rgb{0x3E, 0x6F, 0xB0}, vellix::swf::Outline{2, Rgb{0, 0, 0}}), 0, 0)
      .ShowFrame();
  const auto sprite = movie.DefineSprite(box);
  movie.root().Place(1, sprite, 0, 220, "box");
  Actions move;
  // this._x += 6; back to 0 past 640
  const Actions::Label inside = move.NewLabel();
  move.PushString("this").GetVariable().PushString("_x");
  move.PushString("this").GetVariable().PushString("_x").GetMember().PushNumber(6).Add2().SetMember();
  move.PushString("this").GetVariable().PushString("_x").GetMember().PushNumber(640).Less2().If(inside);
  move.PushString("this").GetVariable().PushString("_x").PushNumber(0).SetMember();
  move.Bind(inside);
  Actions setup;
  setup.PushString("_level0.box").GetVariable().PushString("onEnterFrame");
  setup.DefineFunction("", {}, move);
  setup.SetMember();
  setup.FsCommand("bench", "ready").Stop();
  movie.root().Do(setup).ShowFrame();
  return movie.Finish();
}

bool Save(const std::filesystem::path& path, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::string error;
  if (!vellix::swf::SaveFile(path, bytes, error)) {
    std::fprintf(stderr, "write-bench-books: %s\n", error.c_str());
    return false;
  }
  return true;
}

bool Book(const std::filesystem::path& root, const std::string& name, const std::string& movie) {
  const std::filesystem::path folder = root / name;
  const std::filesystem::path pages = folder / (name + "_Page_Img");
  return Save(folder / (name + ".swf"), movie) &&
         Save(pages / "Page_Var.txt", "&title=" + name + "&\r\n&width=800&\r\n&height=600&\r\n") &&
         Save(pages / "contents" / "popup.swf", PopupMovie());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write-bench-books <folder>\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const bool ok = Save(root / "floor" / "empty.swf", EmptyMovie()) &&
                  Save(root / "floor" / "command.swf", CommandMovie(false)) &&
                  Save(root / "floor" / "animated.swf", AnimatedMovie()) &&
                  Book(root, "Startup", CommandMovie(true)) && Book(root, "RoundTrip", RoundTripMovie()) &&
                  Book(root, "Popups", PopupsMovie()) && Book(root, "Soak", SoakMovie()) &&
                  Book(root, "Animated", AnimatedMovie());
  return ok ? 0 : 1;
}
