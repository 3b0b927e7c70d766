#include "linux/Application_gtk.h"

#include <utility>

#include "os/Exception.h"

namespace vellix::gtk {

Application::Application(Text title) : title_(std::move(title)) {}

Application::~Application() {
  if (idle_) g_source_remove(idle_);
  idle_ = 0;
  for (int round = 0; round < kMaxFinalRounds && !queue_.empty(); ++round) RunQueuedNow();
}

void Application::Run() {
  running_ = true;
  gtk_main();
  running_ = false;
  for (int round = 0; round < kMaxFinalRounds && !queue_.empty(); ++round) RunQueuedNow();
}

void Application::Quit() {
  if (running_ && gtk_main_level() > 0) gtk_main_quit();
  running_ = false;
}

void Application::Post(std::function<void()> work) {
  queue_.push_back(std::move(work));
  if (!idle_) idle_ = g_idle_add_full(G_PRIORITY_DEFAULT, &Application::RunQueued, this, nullptr);
}

gboolean Application::RunQueued(gpointer self) {
  auto* app = static_cast<Application*>(self);
  app->idle_ = 0;
  app->RunQueuedNow();
  return G_SOURCE_REMOVE;
}

void Application::RunQueuedNow() {
  // Work queued while this batch runs waits for the next round.
  std::vector<std::function<void()>> batch;
  batch.swap(queue_);
  for (auto& work : batch) RunGuarded(*this, work);
  if (!queue_.empty() && !idle_) idle_ = g_idle_add_full(G_PRIORITY_DEFAULT, &Application::RunQueued, this, nullptr);
}

GtkWindow* Application::DialogParent() const {
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* active = nullptr;
  for (GList* w = windows; w; w = w->next) {
    GtkWindow* window = GTK_WINDOW(w->data);
    if (gtk_window_is_active(window) && gtk_widget_get_visible(GTK_WIDGET(window))) active = window;
  }
  g_list_free(windows);
  if (active) return active;
  if (mainWindow_ && gtk_widget_get_visible(GTK_WIDGET(mainWindow_))) return mainWindow_;
  return nullptr;
}

void Application::Box(const Text& text, GtkMessageType type) {
  const std::string shown = ToUtf8(text);
  GtkWidget* box = gtk_message_dialog_new(DialogParent(), static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type,
                                          GTK_BUTTONS_OK, "%s", shown.c_str());
  gtk_window_set_title(GTK_WINDOW(box), ToUtf8(title_).c_str());
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

void Application::ShowException(const Text& message) { Box(DisplayMessage(message), GTK_MESSAGE_ERROR); }

void Application::ShowMessage(const Text& text) { Box(text, GTK_MESSAGE_OTHER); }

Size Application::ScreenSize() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return Size{};
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  if (!monitor) return Size{};
  GdkRectangle area;
  gdk_monitor_get_geometry(monitor, &area);
  return Size{area.width, area.height};
}

}  // namespace vellix::gtk
