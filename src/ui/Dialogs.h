#pragma once
// The common file dialogs of the Win32 shell.
#include "os/Ports.h"
#include "text/Text.h"

struct HWND__;

namespace vellix::ui {

// What the open and save dialogs share: filter, file name, and the options
// the program uses (no read-only box, resizable, no overwrite prompt, no
// default extension, no initial folder, no title, first filter selected).
class CommonFileDialog : public FileDialog {
 public:
  Text Filter() const override { return filter_; }
  void SetFilter(const Text& filter) override { filter_ = filter; }
  // The preset name before Execute, the chosen full path after it.
  Text FileName() const override { return fileName_; }
  void SetFileName(const Text& name) override { fileName_ = name; }

  // Shows the dialog, modal to the active window. True with FileName set
  // when the user confirmed a file; false (FileName unchanged) otherwise.
  bool Execute() override;

 protected:
  explicit CommonFileDialog(bool save) : save_(save) {}

 private:
  bool save_;
  Text filter_;
  Text fileName_;
};

// A save dialog component (GetSaveFileName).
class SaveDialog : public CommonFileDialog {
 public:
  SaveDialog() : CommonFileDialog(true) {}
};

// An open dialog component (GetOpenFileName).
class OpenDialog : public CommonFileDialog {
 public:
  OpenDialog() : CommonFileDialog(false) {}
};

// The window dialogs and message boxes belong to: the active window, or the
// main form when the program is not active.
HWND__* ActiveDialogOwner();

}  // namespace vellix::ui
