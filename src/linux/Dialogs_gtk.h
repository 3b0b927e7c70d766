#pragma once
// The save and open dialogs of the Linux shell: GTK file choosers with the
// filters of the filter text, the preset name, and no overwrite question.
#include "linux/Application_gtk.h"
#include "os/Ports.h"

namespace vellix::gtk {

class FileDialogGtk : public FileDialog {
 public:
  FileDialogGtk(Application& app, bool save) : app_(app), save_(save) {}

  Text Filter() const override { return filter_; }
  void SetFilter(const Text& filter) override { filter_ = filter; }
  // The preset name before Execute, the chosen full path after it.
  Text FileName() const override { return fileName_; }
  void SetFileName(const Text& name) override { fileName_ = name; }
  // Modal to the active window. The first filter is selected; a name the
  // reader types keeps whatever extension they give it.
  bool Execute() override;

 private:
  Application& app_;
  bool save_;
  Text filter_;
  Text fileName_;
};

}  // namespace vellix::gtk
