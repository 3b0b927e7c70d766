#include "linux/Window_gtk.h"

#include <algorithm>
#include <cstdio>

#include "os/Exception.h"
#include "ui/Skin.h"

namespace vellix::gtk {

namespace {

const ui::Skin* g_skin = nullptr;  // the skin every window is drawn in

// The system colours the forms use, as a desktop without Windows' scheme has
// them, and the skin's own values over them.
std::uint32_t Resolve(Color color) {
  if (!IsSystemColor(color)) return color;
  if (g_skin) {
    if (auto c = ui::SkinColor(*g_skin, color)) return *c;
  }
  switch (SystemColorIndex(color)) {
    case 23:  // tooltip text
    case 8:   // window text
      return Rgb(0, 0, 0);
    case 15:
      return Rgb(240, 240, 240);
    default:
      return Rgb(255, 255, 255);
  }
}

}  // namespace

std::string CssColor(Color color) {
  const std::uint32_t c = Resolve(color);
  char css[16];
  std::snprintf(css, sizeof css, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return css;
}

void ApplySkin(const Text& skinName) {
  static bool applied = false;
  if (applied) return;
  applied = true;
  const ui::Skin* skin = nullptr;
  for (const ui::Skin& s : ui::InternalSkins())
    if (s.name == skinName) skin = &s;
  if (!skin) return;
  g_skin = skin;
  auto hex = [](Color c) { return CssColor(c); };
  // "Office2007 Blue (internal)": the skin's face on every window, its light
  // and dark edges on the panels' bevels.
  const std::string css = "window.vellix-form { background-color: " + hex(skin->face) + "; }\n"
                          ".vellix-panel { border-style: solid; border-width: 1px; border-color: " +
                          hex(skin->highlight) + " " + hex(skin->shadow) + " " + hex(skin->shadow) + " " +
                          hex(skin->highlight) + "; }\n";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

FormWindowGtk::FormWindowGtk(Application& app, const FormDescription& d, FormWindowGtk* owner)
    : app_(app), window_(GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL))), description_(d), state_(d.windowState) {
  // The window is ours until this object goes.
  g_object_ref_sink(window_);
  ApplySkin(d.skinName);
  gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(window_)), "vellix-form");
  gtk_window_set_title(window_, ToUtf8(d.caption).c_str());
  gtk_window_set_default_size(window_, d.clientWidth, d.clientHeight);
  gtk_window_move(window_, d.left, d.top);
  if (owner) {
    gtk_window_set_transient_for(window_, owner->Window());
    gtk_window_set_destroy_with_parent(window_, TRUE);
  }
  // A fixed frame: no resize handles, no minimise and maximise buttons; the
  // program may still maximise it.
  if (d.borderStyle == BorderStyle::Single || !d.borderIcons.minimize || !d.borderIcons.maximize)
    g_signal_connect(window_, "realize", G_CALLBACK(&FormWindowGtk::OnRealize), this);
  if (d.windowState == WindowState::Maximized) gtk_window_maximize(window_);
  g_signal_connect(window_, "delete-event", G_CALLBACK(&FormWindowGtk::OnDelete), this);
  g_signal_connect(window_, "configure-event", G_CALLBACK(&FormWindowGtk::OnConfigure), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(&FormWindowGtk::OnKey), this);
}

FormWindowGtk::~FormWindowGtk() {
  *alive_ = false;
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(GTK_WIDGET(window_));
  g_object_unref(window_);
}

void FormWindowGtk::OnRealize(GtkWidget* widget, gpointer self) {
  auto* form = static_cast<FormWindowGtk*>(self);
  GdkWindow* gdk = gtk_widget_get_window(widget);
  const FormDescription& d = form->description_;
  const bool maximized = d.windowState == WindowState::Maximized;
  int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  int decorations = GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU;
  // Window managers maximise only windows they may resize and maximise: a
  // fixed frame that opens maximised keeps both functions, without the
  // resize handles and buttons that would offer them to the reader.
  if (d.borderStyle == BorderStyle::Sizeable || maximized) functions |= GDK_FUNC_RESIZE;
  if (d.borderStyle == BorderStyle::Sizeable) decorations |= GDK_DECOR_RESIZEH;
  if (d.borderIcons.minimize) {
    functions |= GDK_FUNC_MINIMIZE;
    decorations |= GDK_DECOR_MINIMIZE;
  }
  if (d.borderIcons.maximize || maximized) functions |= GDK_FUNC_MAXIMIZE;
  if (d.borderIcons.maximize) decorations |= GDK_DECOR_MAXIMIZE;
  gdk_window_set_functions(gdk, static_cast<GdkWMFunction>(functions));
  gdk_window_set_decorations(gdk, static_cast<GdkWMDecoration>(decorations));
}

void FormWindowGtk::SetContent(GtkWidget* content) { gtk_container_add(GTK_CONTAINER(window_), content); }

void FormWindowGtk::SetCaption(const Text& caption) { gtk_window_set_title(window_, ToUtf8(caption).c_str()); }

void FormWindowGtk::FrameSize(int& width, int& height) const {
  width = height = 0;
  GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window_));
  if (!gdk || !gtk_widget_get_mapped(GTK_WIDGET(window_))) return;
  GdkRectangle frame;
  gdk_window_get_frame_extents(gdk, &frame);
  width = frame.width - gdk_window_get_width(gdk);
  height = frame.height - gdk_window_get_height(gdk);
  if (width < 0) width = 0;
  if (height < 0) height = 0;
}

void FormWindowGtk::SetBounds(const Bounds& b) {
  int frameWidth, frameHeight;
  FrameSize(frameWidth, frameHeight);
  if (!gtk_widget_get_mapped(GTK_WIDGET(window_))) unframed_ = b;
  // The window manager places the frame's corner where it is asked to.
  gtk_window_move(window_, b.left, b.top);
  const int width = b.width - frameWidth, height = b.height - frameHeight;
  gtk_window_resize(window_, width > 1 ? width : 1, height > 1 ? height : 1);
}

Size FormWindowGtk::OuterSize() const {
  int width = 0, height = 0;
  gtk_window_get_size(window_, &width, &height);
  int frameWidth, frameHeight;
  FrameSize(frameWidth, frameHeight);
  return Size{width + frameWidth, height + frameHeight};
}

void FormWindowGtk::SetWindowState(WindowState state) {
  state_ = state;
  switch (state) {
    case WindowState::Normal:
      gtk_window_unmaximize(window_);
      gtk_window_deiconify(window_);
      break;
    case WindowState::Maximized:
      gtk_window_maximize(window_);
      break;
    case WindowState::Minimized:
      gtk_window_iconify(window_);
      break;
  }
}

bool FormWindowGtk::Visible() const { return gtk_widget_get_visible(GTK_WIDGET(window_)); }

void FormWindowGtk::Show() {
  if (Visible()) {
    gtk_window_present(window_);
    return;
  }
  if (OnShow) RunGuarded(app_, OnShow);
  gtk_widget_show_all(GTK_WIDGET(window_));
}

void FormWindowGtk::Hide() { gtk_widget_hide(GTK_WIDGET(window_)); }

void FormWindowGtk::Close() {
  Hide();
  app_.Quit();
}

void FormWindowGtk::BringToFront(int delayMs) {
  struct Later {
    std::weak_ptr<bool> alive;
    FormWindowGtk* form;
  };
  auto* later = new Later{alive_, this};
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, delayMs > 0 ? static_cast<guint>(delayMs) : 0,
      [](gpointer data) -> gboolean {
        auto* l = static_cast<Later*>(data);
        if (!l->alive.expired()) {
          GtkWindow* w = l->form->window_;
          gtk_widget_show(GTK_WIDGET(w));
          gtk_window_set_keep_above(w, TRUE);
          gtk_window_set_keep_above(w, FALSE);
          gtk_window_present_with_time(w, GDK_CURRENT_TIME);
        }
        return G_SOURCE_REMOVE;
      },
      later, [](gpointer data) { delete static_cast<Later*>(data); });
}

gboolean FormWindowGtk::OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer self) {
  auto* form = static_cast<FormWindowGtk*>(self);
  if (!form->unframed_) return FALSE;
  int frameWidth, frameHeight;
  form->FrameSize(frameWidth, frameHeight);
  if (frameWidth == 0 && frameHeight == 0) return FALSE;  // not framed yet, or no frame at all
  // The frame already stands where it was asked to: only the size changes.
  const Bounds b = *form->unframed_;
  form->unframed_.reset();
  gtk_window_resize(form->window_, std::max(1, b.width - frameWidth), std::max(1, b.height - frameHeight));
  return FALSE;
}

gboolean FormWindowGtk::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* form = static_cast<FormWindowGtk*>(self);
  if (form->OnCloseRequest)
    RunGuarded(form->app_, form->OnCloseRequest);
  else
    form->Close();
  return TRUE;  // the window stays until its owner lets it go
}

gboolean FormWindowGtk::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* form = static_cast<FormWindowGtk*>(self);
  if (!form->OnKeyPress) return FALSE;
  // A key goes to the control that has the focus first; the web view hands
  // one back that its page did not take, as the same event once more. Only
  // such a key, or one typed while no control has the focus, is the form's.
  if (gtk_window_get_focus(form->window_)) {
    const bool again = form->lastKeyTime_ == event->time && form->lastKeyCode_ == event->hardware_keycode;
    form->lastKeyTime_ = again ? 0 : event->time;
    form->lastKeyCode_ = again ? 0 : event->hardware_keycode;
    if (!again) return FALSE;
  }
  char16_t key = 0;
  if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter || event->keyval == GDK_KEY_ISO_Enter)
    key = 13;
  else {
    guint32 c = gdk_keyval_to_unicode(event->keyval);
    if (c > 0 && c < 0x10000) key = static_cast<char16_t>(c);
  }
  if (key == 0) return FALSE;
  RunGuarded(form->app_, [form, key] { form->OnKeyPress(key); });
  return FALSE;
}

GtkWidget* MakePanel(const PanelDescription& panel, GtkWidget* child) {
  GtkWidget* box = gtk_event_box_new();
  gtk_style_context_add_class(gtk_widget_get_style_context(box), "vellix-panel");
  if (!panel.parentBackground) {
    const std::string css = "* { background-color: " + CssColor(panel.color) + "; }";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(box), GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
  }
  gtk_container_add(GTK_CONTAINER(box), child);
  return box;
}

}  // namespace vellix::gtk
