#pragma once
// The Flash ActiveX control hosted through OLE, as a child window of a form
// or panel: the Win32 shell's TShockwaveFlash.
#include <memory>

#include "flash/ShockwaveFlash.h"
#include "ui/Control.h"

namespace vellix {

class FlashHost;

class OleShockwaveFlash : public ui::Control, public TShockwaveFlash {
 public:
  // Creates and in-place activates the control with `settings`, aligned to
  // the parent's client area. Throws ui::OleError (with the system's text)
  // when the control cannot be created, e.g. when its class is not
  // registered.
  OleShockwaveFlash(ui::Window& parent, const FlashSettings& settings);
  ~OleShockwaveFlash() override;

  // Throw ui::OleError when the control refuses them.
  void SetMovie(const Text& movie) override;
  void SetVariable(const Text& name, const Text& value) override;

  void SetFocus() override;
  // Inside the control's own event the teardown is finished after the event
  // returns; the window disappears at once.
  void Destroy() override;
  bool Destroyed() const override { return host_ == nullptr; }

  Bounds ControlBounds() const override;
  void SetControlBounds(const Bounds& bounds) override;

 protected:
  bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t& result) override;

 private:
  friend class FlashHost;
  void Defer(std::unique_ptr<FlashHost> host);

  std::unique_ptr<FlashHost> host_;
};

}  // namespace vellix
