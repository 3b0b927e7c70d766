#pragma once
// The popup page windows of the Win32 shell: a form owned by the book window,
// a panel over its client area and the Flash ActiveX control inside it.
#include <memory>

#include "flash/ShockwaveFlash_win.h"
#include "popup/VellixViewerChildFormunit.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace vellix {

class Win32ChildWindow : public ChildWindow {
 public:
  Win32ChildWindow(const FormDescription& form, const PanelDescription& backPanel, ui::Form& owner);

  ui::Form& Form() override { return form_; }
  OleShockwaveFlash& Flash() override { return flash_; }
  ui::Panel& BackPanel() { return panel_; }

 private:
  ui::Form form_;
  ui::Panel panel_;
  OleShockwaveFlash flash_;
};

}  // namespace vellix
