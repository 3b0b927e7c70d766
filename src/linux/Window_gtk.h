#pragma once
// Top-level windows of the Linux shell, built from a form description: a
// GtkWindow whose client area holds one widget (the Flash control, or the
// popup's back panel with the control inside). Every window is drawn in the
// program's one skin.
#include <memory>
#include <optional>

#include <gtk/gtk.h>

#include "linux/Application_gtk.h"
#include "os/Forms.h"

namespace vellix::gtk {

// Installs the skin's style for the whole screen, once.
void ApplySkin(const Text& skinName);

// The CSS colour of a form colour under the active skin.
std::string CssColor(Color color);

class FormWindowGtk : public FormWindow {
 public:
  // Builds the window hidden. An owned window stays above its owner and is
  // destroyed with it.
  FormWindowGtk(Application& app, const FormDescription& description, FormWindowGtk* owner = nullptr);
  ~FormWindowGtk() override;
  FormWindowGtk(const FormWindowGtk&) = delete;
  FormWindowGtk& operator=(const FormWindowGtk&) = delete;

  GtkWindow* Window() const { return window_; }
  // Puts `content` over the whole client area.
  void SetContent(GtkWidget* content);

  void SetCaption(const Text& caption) override;
  void SetBounds(const Bounds& bounds) override;
  Size OuterSize() const override;
  void SetWindowState(WindowState state) override;
  void Show() override;
  void Hide() override;
  // Ends the program's main loop (the book window).
  void Close() override;
  // After `delayMs` without blocking the loop: raised above the other
  // windows, then given the focus.
  void BringToFront(int delayMs) override;

  bool Visible() const;

 private:
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static void OnRealize(GtkWidget*, gpointer self);
  static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer self);
  // The frame the window manager draws around the client area; none before
  // the window is shown.
  void FrameSize(int& width, int& height) const;

  Application& app_;
  GtkWindow* window_;
  FormDescription description_;
  WindowState state_;
  // Outer bounds set before the window manager framed the window: applied
  // again, frame included, once the frame is known.
  std::optional<Bounds> unframed_;
  // The key last handed on to the control, to know it when it comes back.
  guint32 lastKeyTime_ = 0;
  guint16 lastKeyCode_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The popup's back panel: the panel colour with a raised one-pixel bevel,
// its child inside the bevel.
GtkWidget* MakePanel(const PanelDescription& panel, GtkWidget* child);

}  // namespace vellix::gtk
