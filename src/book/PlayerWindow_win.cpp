#include "book/PlayerWindow_win.h"

#include "popup/ChildWindow_win.h"

namespace vellix {

Win32PlayerWindow::Win32PlayerWindow(const FormDescription& description)
    : form_(description), flash_(form_, FlashSettings{}) {
  skin_.SetSkinName(description.skinName);
  skin_.SetActive(true);
}

std::unique_ptr<ChildWindow> Win32PlayerWindow::CreateChildWindow(const FormDescription& form,
                                                                  const PanelDescription& backPanel) {
  return std::make_unique<Win32ChildWindow>(form, backPanel, form_);
}

}  // namespace vellix
