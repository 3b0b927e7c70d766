#pragma once
// The book window of the Win32 shell: a form with the Flash ActiveX control
// over its client area, its file dialogs and the skin manager. The popups it
// builds are owned windows of its form.
#include <memory>

#include "book/VellixViewerMainFormUnit.h"
#include "flash/ShockwaveFlash_win.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Skin.h"

namespace vellix {

class Win32PlayerWindow : public PlayerWindow {
 public:
  // Throws when the Flash control cannot be created.
  explicit Win32PlayerWindow(const FormDescription& description);

  ui::Form& Form() override { return form_; }
  OleShockwaveFlash& Flash() override { return flash_; }
  FileDialog& ImgSaveDialog() override { return imgSaveDialog_; }
  FileDialog& FileSaveDialog() override { return fileSaveDialog_; }
  FileDialog& FileOpenDialog() override { return fileOpenDialog_; }
  std::unique_ptr<ChildWindow> CreateChildWindow(const FormDescription& form,
                                                const PanelDescription& backPanel) override;

 private:
  ui::SkinManager skin_;
  ui::Form form_;
  OleShockwaveFlash flash_;
  ui::SaveDialog imgSaveDialog_;
  ui::SaveDialog fileSaveDialog_;
  ui::OpenDialog fileOpenDialog_;
};

}  // namespace vellix
