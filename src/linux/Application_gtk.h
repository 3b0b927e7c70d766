#pragma once
// The application object of the Linux shell: the GTK main loop and its queue
// of posted work, the screen, the plain message box and the display of
// exceptions that escape event handlers, all titled with the application
// title.
#include <functional>
#include <memory>
#include <vector>

#include <gtk/gtk.h>

#include "os/Forms.h"
#include "os/Ports.h"
#include "text/Text.h"

namespace vellix::gtk {

class Application : public MainLoop, public ExceptionDisplay, public Messages, public Screen {
 public:
  // `title` is the application title, the caption of every message box.
  explicit Application(Text title);
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  const Text& Title() const { return title_; }

  // Runs the GTK main loop until Quit; work still queued then is run too.
  void Run();
  void Quit();
  bool Running() const { return running_; }

  void Post(std::function<void()> work) override;
  // A modal box with an error icon and DisplayMessage(message).
  void ShowException(const Text& message) override;
  // A modal box without an icon.
  void ShowMessage(const Text& text) override;
  Size ScreenSize() override;

  // The window dialogs belong to: the one that has the focus, else the main
  // window.
  GtkWindow* DialogParent() const;
  void SetMainWindow(GtkWindow* window) { mainWindow_ = window; }

 private:
  static gboolean RunQueued(gpointer self);
  void RunQueuedNow();
  void Box(const Text& text, GtkMessageType type);

  Text title_;
  std::vector<std::function<void()>> queue_;
  guint idle_ = 0;
  bool running_ = false;
  GtkWindow* mainWindow_ = nullptr;
};

// Posted work that keeps posting more must still let the program end.
constexpr int kMaxFinalRounds = 64;

}  // namespace vellix::gtk
