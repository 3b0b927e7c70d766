#pragma once
// The book window: plays <Book>.swf over its whole client area, takes its
// title and geometry from the book's settings, and serves the movie's
// commands.
#include <memory>

#include "flash/ShockwaveFlash.h"
#include "text/Text.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Skin.h"

namespace vellix {

class Dispatcher;

class TPlayerForm : public ui::Form {
 public:
  TPlayerForm();
  ~TPlayerForm() override;

  // Components, in the order the window builds them.
  TShockwaveFlash* FlashPlayer = nullptr;  // a child control; the form owns it
  ui::SaveDialog imgSaveDialog;
  ui::SaveDialog fileSaveDialog;
  ui::OpenDialog FileOpenDialog;  // part of the window, never opened
  ui::SkinManager sSkinManager1;

  void FormCreate();
  void FormShow();
  void FlashPlayerFSCommand(const Text& command, const Text& args);
  // Opens a popup page window for a "function" request of the movie.
  void ShowPopUpForm(const Text& args);

 private:
  struct Ports;
  std::unique_ptr<TShockwaveFlash> flashPlayer_;
  std::unique_ptr<Ports> ports_;
  std::unique_ptr<Dispatcher> dispatcher_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The book window, set by the application before its creation handler runs.
extern TPlayerForm* PlayerForm;

}  // namespace vellix
