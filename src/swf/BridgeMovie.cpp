#include "swf/BridgeMovie.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "swf/Actions.h"
#include "swf/MovieWriter.h"

namespace vellix::swf {

namespace {

// Pushes `object.method(args...)`: the caller has pushed the arguments, last
// first; the object is reached from a global by member names.
void CallOn(Actions& a, std::initializer_list<const char*> path, const char* method, int argCount) {
  a.PushNumber(argCount);
  auto it = path.begin();
  a.PushString(*it++).GetVariable();
  for (; it != path.end(); ++it) a.PushString(*it).GetMember();
  a.PushString(method).CallMethod();
}

// Leaves the local `n` holding the parameter `name` as an absolute path.
// The callbacks outlive the bridge's own timeline, so a bare name or a
// "_root." path must not be resolved against it: both become "_level0.".
void AbsolutePath(Actions& a) {
  const Actions::Label notRoot = a.NewLabel();
  const Actions::Label done = a.NewLabel();
  a.PushString("n").PushString("name").GetVariable().DefineLocal();
  // n.substr(0, 6) == "_root."
  a.PushNumber(6).PushNumber(0).PushNumber(2).PushString("n").GetVariable().PushString("substr").CallMethod();
  a.PushString("_root.").Equals2().Not().If(notRoot);
  a.PushString("n").PushString("_level0.");
  a.PushNumber(6).PushNumber(1).PushString("n").GetVariable().PushString("substr").CallMethod();
  a.Add2().SetVariable().Jump(done);
  a.Bind(notRoot);
  // A name with a path of its own is left as it is.
  for (const char* separator : {".", ":", "/"}) {
    a.PushString(separator).PushNumber(1).PushString("n").GetVariable().PushString("indexOf").CallMethod();
    a.PushNumber(-1).Equals2().Not().If(done);
  }
  a.PushString("n").PushString("_level0.").PushString("n").GetVariable().Add2().SetVariable();
  a.Bind(done);
}

// ExternalInterface.addCallback(name, null, <function with params>).
void AddCallback(Actions& a, const char* name, const std::vector<std::string>& params, const Actions& body) {
  a.DefineFunction("", params, body);
  a.PushNull().PushString(name);
  CallOn(a, {"flash", "external", "ExternalInterface"}, "addCallback", 3);
  a.Pop();
}

}  // namespace

std::string BridgeMovie() {
  MovieWriter movie({8, 800, 600, 24, Rgb{255, 255, 255}});
  Actions frame;

  Actions set;
  AbsolutePath(set);
  set.PushString("n").GetVariable().PushString("value").GetVariable().SetVariable();
  AddCallback(frame, kBridgeSetVariable, {"name", "value"}, set);

  Actions get;
  AbsolutePath(get);
  get.PushString("n").GetVariable().GetVariable().Return();
  AddCallback(frame, kBridgeGetVariable, {"name"}, get);

  Actions load;
  load.PushString("url").GetVariable().LoadMovieNum(0);
  AddCallback(frame, kBridgeLoadMovie, {"url"}, load);

  frame.FsCommand(kBridgeReadyCommand, kBridgeVersion);

  // Load the movie named by the FlashVar, if there is one.
  const Actions::Label none = frame.NewLabel();
  frame.PushString(kBridgeMovieVar).GetVariable().PushUndefined().Equals2().If(none);
  frame.PushString(kBridgeMovieVar).GetVariable().PushString("").Equals2().If(none);
  frame.PushString(kBridgeMovieVar).GetVariable().LoadMovieNum(0);
  frame.Bind(none).Stop();

  movie.root().Do(frame).ShowFrame();
  return movie.Finish();
}

}  // namespace vellix::swf
