#include "linux/Viewer_gtk.h"

#include <sys/stat.h>

#include "linux/Timings.h"
#include "os/Exception.h"
#include "os/FileSystemPath.h"

namespace vellix::gtk {

ChildWindowGtk::ChildWindowGtk(Application& app, RuffleEngine& engine, const FormDescription& form,
                               const PanelDescription& backPanel, FormWindowGtk& owner, RuffleFlash& book)
    : form_(app, form, &owner), flash_(engine, FlashSettings{}, &book) {
  form_.SetContent(MakePanel(backPanel, flash_.Widget()));
}

PlayerWindowGtk::PlayerWindowGtk(Application& app, RuffleEngine& engine, const FormDescription& form)
    : app_(app),
      engine_(engine),
      form_(app, form),
      flash_(engine, FlashSettings{}),
      imgSaveDialog_(app, true),
      fileSaveDialog_(app, true),
      fileOpenDialog_(app, false) {
  form_.SetContent(flash_.Widget());
  app.SetMainWindow(form_.Window());
  // The window goes on the screen first; WebKit starts once it is there.
  flash_.StartWhenShown(GTK_WIDGET(form_.Window()));
  if (TimingsEnabled()) {
    g_signal_connect(form_.Window(), "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean {
                       MarkTiming("window-shown");
                       return FALSE;
                     }),
                     nullptr);
    flash_.OnEngineEvent = [](const std::string& event, const std::string&) { MarkTiming(event.c_str()); };
  }
}

std::unique_ptr<ChildWindow> PlayerWindowGtk::CreateChildWindow(const FormDescription& form,
                                                                const PanelDescription& backPanel) {
  return std::make_unique<ChildWindowGtk>(app_, engine_, form, backPanel, form_, flash_);
}

bool StartupGtk::FileExists(const Text& path) {
  struct stat st;
  return stat(FileSystemPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void StartupGtk::SetIconFromFile(const Text& iconPath) {
  GError* error = nullptr;
  if (!gtk_window_set_default_icon_from_file(FileSystemPath(iconPath).c_str(), &error)) {
    Text message = u"Cannot load the icon file " + iconPath + u": it holds no valid icon";
    if (error) g_error_free(error);
    throw Exception(message);
  }
}

void StartupGtk::SetIconOfFileType(const Text&) {
  const std::string own = engine_.Files().folder + "/vellix-viewer.svg";
  if (!gtk_window_set_default_icon_from_file(own.c_str(), nullptr)) gtk_window_set_default_icon_name("vellix-viewer");
}

std::unique_ptr<PlayerWindow> StartupGtk::CreatePlayerWindow(const FormDescription& form) {
  return std::make_unique<PlayerWindowGtk>(app_, engine_, form);
}

void StartupGtk::Run(FormWindow& mainWindow) {
  mainWindow.Show();
  app_.Run();
}

}  // namespace vellix::gtk
