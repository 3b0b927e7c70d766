#pragma once
// The Linux shell's book window, popup windows and start-up steps, over GTK
// and the Ruffle engine.
#include <memory>
#include <string>

#include "app/Startup.h"
#include "book/VellixViewerMainFormUnit.h"
#include "linux/Application_gtk.h"
#include "linux/Dialogs_gtk.h"
#include "linux/RuffleFlash_gtk.h"
#include "linux/Window_gtk.h"
#include "popup/VellixViewerChildFormunit.h"

namespace vellix::gtk {

// A popup: its form, the back panel and the control inside it, sharing the
// book's web process.
class ChildWindowGtk : public ChildWindow {
 public:
  ChildWindowGtk(Application& app, RuffleEngine& engine, const FormDescription& form,
                 const PanelDescription& backPanel, FormWindowGtk& owner, RuffleFlash& book);
  FormWindowGtk& Form() override { return form_; }
  RuffleFlash& Flash() override { return flash_; }

 private:
  FormWindowGtk form_;
  RuffleFlash flash_;
};

class PlayerWindowGtk : public PlayerWindow {
 public:
  PlayerWindowGtk(Application& app, RuffleEngine& engine, const FormDescription& form);

  FormWindowGtk& Form() override { return form_; }
  RuffleFlash& Flash() override { return flash_; }
  FileDialog& ImgSaveDialog() override { return imgSaveDialog_; }
  FileDialog& FileSaveDialog() override { return fileSaveDialog_; }
  FileDialog& FileOpenDialog() override { return fileOpenDialog_; }
  std::unique_ptr<ChildWindow> CreateChildWindow(const FormDescription& form,
                                                const PanelDescription& backPanel) override;

 private:
  Application& app_;
  RuffleEngine& engine_;
  FormWindowGtk form_;
  RuffleFlash flash_;
  FileDialogGtk imgSaveDialog_;
  FileDialogGtk fileSaveDialog_;
  FileDialogGtk fileOpenDialog_;
};

// Start-up on GTK. The application icon is the book's <Book>.ico when there
// is one, else the viewer's own.
class StartupGtk : public StartupShell {
 public:
  StartupGtk(Application& app, RuffleEngine& engine) : app_(app), engine_(engine) {}

  bool FileExists(const Text& path) override;
  void SetIconFromFile(const Text& iconPath) override;
  void SetIconOfFileType(const Text& executablePath) override;
  void Initialize() override {}
  void SetMainFormOnTaskBar(bool) override {}
  std::unique_ptr<PlayerWindow> CreatePlayerWindow(const FormDescription& form) override;
  void Run(FormWindow& mainWindow) override;

 private:
  Application& app_;
  RuffleEngine& engine_;
};

}  // namespace vellix::gtk
