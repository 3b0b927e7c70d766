#pragma once
// The Flash control as the rest of the program sees it: it plays a movie over
// its parent's client area, takes movie variables and reports the movie's
// FSCommand calls. The Windows shell hosts the Flash ActiveX control through
// OLE; the Linux shell plays movies with Ruffle in a web view.
#include <functional>

#include "os/Forms.h"
#include "text/Text.h"

namespace vellix {

// The settings both windows give their control before any movie, as the
// Flash control's properties name them.
struct FlashSettings {
  Text wmode = u"Window";
  Text quality = u"High";
  Text scale = u"ShowAll";
  bool playing = true;
  bool loop = true;
  bool menu = true;
  bool seamlessTabbing = true;
  bool deviceFont = false;
  bool embedMovie = false;
  bool profile = false;
  long profilePort = 0;
  Text allowNetworking = u"all";
  Text allowFullScreen = u"false";
};

class TShockwaveFlash {
 public:
  virtual ~TShockwaveFlash() = default;

  // Plays the movie at this path or address in place of the current one;
  // "about:blank" plays nothing.
  virtual void SetMovie(const Text& movie) = 0;
  // Sets a variable of the movie; a variable set right after SetMovie is seen
  // by the new movie. Both calls do nothing once the control is destroyed.
  virtual void SetVariable(const Text& name, const Text& value) = 0;

  virtual void SetFocus() = 0;
  // Stops the movie and removes the control for good.
  virtual void Destroy() = 0;
  virtual bool Destroyed() const = 0;

  // The control's place in its parent. It is aligned to the parent's whole
  // client area, so a move is undone by the next layout.
  virtual Bounds ControlBounds() const = 0;
  virtual void SetControlBounds(const Bounds& bounds) = 0;

  // One call per FSCommand of the movie, with its two texts exactly as the
  // movie gave them (a null text arrives as empty).
  std::function<void(const Text& command, const Text& args)> OnFSCommand;
};

}  // namespace vellix
