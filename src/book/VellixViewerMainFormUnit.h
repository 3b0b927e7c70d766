#pragma once
// The book window: plays <Book>.swf over its whole client area, takes its
// title and geometry from the book's settings, serves the movie's commands
// and owns the popup page windows it opens.
#include <memory>
#include <vector>

#include "book/BookPaths.h"
#include "commands/CommandPorts.h"
#include "flash/ShockwaveFlash.h"
#include "os/Forms.h"
#include "os/Ports.h"
#include "popup/VellixViewerChildFormunit.h"

namespace vellix {

// The window a shell builds for the book: the form, its Flash control over
// the whole client area, and the form's three file dialogs. It also builds
// the popup windows, which it owns.
class PlayerWindow : public ChildWindows {
 public:
  virtual ~PlayerWindow() = default;
  virtual FormWindow& Form() = 0;
  virtual TShockwaveFlash& Flash() = 0;
  virtual FileDialog& ImgSaveDialog() = 0;
  virtual FileDialog& FileSaveDialog() = 0;
  virtual FileDialog& FileOpenDialog() = 0;
};

// The book window's form: "PlayerForm" until its settings title it, at the
// top-left corner, 800 x 600 client area, sizeable.
FormDescription PlayerFormDescription();

// What the book window uses besides its own window.
struct PlayerFormPorts {
  Screen& screen;
  MainLoop& loop;
  ExceptionDisplay& exceptions;
  Shell& shell;
  Messages& messages;
  Files& files;
  FileSearch& search;
  Drives& drives;
  Environment& environment;
};

class TPlayerForm : public BookWindow, public PopupOpener {
 public:
  // Binds the window's and the control's events and gives the dialogs their
  // filters. `paths` and `window` outlive the form.
  TPlayerForm(const BookPaths& paths, PlayerWindow& window, const PlayerFormPorts& ports);
  // The popups still open go first, without their close handlers.
  ~TPlayerForm() override;
  TPlayerForm(const TPlayerForm&) = delete;
  TPlayerForm& operator=(const TPlayerForm&) = delete;

  // Components, in the order of the form description.
  TShockwaveFlash& FlashPlayer;
  FileDialog& imgSaveDialog;
  FileDialog& fileSaveDialog;
  FileDialog& FileOpenDialog;  // part of the window, never opened

  FormWindow& Form() { return window_.Form(); }

  // Paths, settings, title, geometry and state, then the movie.
  void FormCreate();
  // Hands command-line argument 1 to the movie as "firstIndex".
  void FormShow();
  // Opens a popup page window for a "function" request of the movie.
  void ShowPopUpForm(const Text& args) override;

  void Maximize() override;
  void Close() override;
  void BringToFront() override;

  // The popups open now, oldest first.
  std::vector<TChildForm*> Popups() const;

 private:
  void ReleasePopup(TChildForm& popup);

  const BookPaths& paths_;
  PlayerWindow& window_;
  PlayerFormPorts ports_;
  CommandPorts commands_;
  std::vector<std::unique_ptr<TChildForm>> popups_;
  // Cleared when the form is destroyed, so that work posted from inside the
  // control's event never reaches a form that is already gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The book window, set before its creation handler runs.
extern TPlayerForm* PlayerForm;

}  // namespace vellix
