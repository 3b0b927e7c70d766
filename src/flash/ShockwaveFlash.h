#pragma once
// The Flash control as the rest of the program sees it: a child window that
// plays a movie, takes movie variables and reports the movie's FSCommand
// calls. The Windows implementation hosts the ActiveX control through OLE.
#include <functional>
#include <memory>

#include "text/Text.h"
#include "ui/Control.h"

namespace vellix {

class FlashHost;

// The Flash control in a form or panel, aligned to its parent's client area.
class TShockwaveFlash : public ui::Control {
 public:
  // Creates and in-place activates the control with the program's initial
  // settings. Throws ui::Exception (ui::OleError with the system's text) when
  // the control cannot be created, e.g. when its class is not registered.
  explicit TShockwaveFlash(ui::Window& parent);
  ~TShockwaveFlash() override;

  // Plays the movie at this path or address in place of the current one.
  void SetMovie(const Text& movie);
  // Sets a variable of the movie. Both calls do nothing once the control has
  // been destroyed and throw ui::OleError when the control refuses them.
  void SetVariable(const Text& name, const Text& value);

  // One call per FSCommand of the movie; a null text arrives as empty.
  std::function<void(const Text& command, const Text& args)> OnFSCommand;

  void SetFocus();

  // Tears the control down (the movie stops, the window goes). Inside the
  // control's own event the teardown is finished after the event returns.
  void Destroy();
  bool Destroyed() const { return host_ == nullptr; }

 protected:
  bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t& result) override;

 private:
  friend class FlashHost;
  void Defer(std::unique_ptr<FlashHost> host);

  std::unique_ptr<FlashHost> host_;
};

}  // namespace vellix
