#pragma once
// Everything the book window's movie commands act on.
#include "book/BookPaths.h"
#include "flash/ShockwaveFlash.h"
#include "os/Ports.h"

namespace vellix {

// The book window's own operations, as the window commands use them.
class BookWindow {
 public:
  virtual ~BookWindow() = default;
  virtual void Maximize() = 0;
  // Closing the book window ends the program. A close asked for inside the
  // control's event is carried out after the event has returned.
  virtual void Close() = 0;
  // Waits three seconds, then puts the window on top of the other windows
  // and gives it the foreground.
  virtual void BringToFront() = 0;
};

// The book window's routine that opens popup page windows.
class PopupOpener {
 public:
  virtual ~PopupOpener() = default;
  virtual void ShowPopUpForm(const Text& normalisedArgs) = 0;
};

struct CommandPorts {
  const BookPaths& book;
  BookWindow& window;
  TShockwaveFlash& movie;
  PopupOpener& popups;
  Shell& shell;
  FileDialog& imgSaveDialog;
  FileDialog& fileSaveDialog;
  Messages& messages;
  Files& files;
  FileSearch& search;
  Drives& drives;
  Environment& environment;
};

}  // namespace vellix
