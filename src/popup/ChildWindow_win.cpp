#include "popup/ChildWindow_win.h"

namespace vellix {

Win32ChildWindow::Win32ChildWindow(const FormDescription& form, const PanelDescription& backPanel, ui::Form& owner)
    : form_(form, &owner),
      panel_(form_, 0, 0, form.clientWidth, form.clientHeight),
      flash_(panel_, FlashSettings{}) {
  panel_.SetAlign(ui::Align::Client);
  panel_.SetColor(backPanel.color);
  panel_.SetParentBackground(backPanel.parentBackground);
}

}  // namespace vellix
