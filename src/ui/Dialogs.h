#pragma once
// The common file dialogs and the plain message box.
#include "text/Text.h"

namespace vellix::ui {

// "Display|pattern|Display|pattern" as the file dialogs take it: each part
// ends with a NUL and the list with a second one ("A\0*.a\0\0"). An empty
// display text shows the pattern; a pair without a pattern is dropped; no
// pairs gives the empty text (no filter).
Text FilterList(const Text& filter);

// What the open and save dialogs share: filter, file name, and the options
// the program uses (no read-only box, resizable, no overwrite prompt, no
// default extension, no initial folder, no title, first filter selected).
class FileDialog {
 public:
  virtual ~FileDialog() = default;

  const Text& Filter() const { return filter_; }
  void SetFilter(const Text& filter) { filter_ = filter; }
  // The preset name before Execute, the chosen full path after it.
  const Text& FileName() const { return fileName_; }
  void SetFileName(const Text& name) { fileName_ = name; }

  // Shows the dialog, modal to the active window. True with FileName set
  // when the user confirmed a file; false (FileName unchanged) otherwise.
  bool Execute();

 protected:
  explicit FileDialog(bool save) : save_(save) {}

 private:
  bool save_;
  Text filter_;
  Text fileName_;
};

// A save dialog component (GetSaveFileName).
class SaveDialog : public FileDialog {
 public:
  SaveDialog() : FileDialog(true) {}
};

// An open dialog component (GetOpenFileName).
class OpenDialog : public FileDialog {
 public:
  OpenDialog() : FileDialog(false) {}
};

// The plain message box: the text, the application title as caption, no
// icon, one OK; owned by the active window.
void ShowMessage(const Text& text);

}  // namespace vellix::ui
