#include "linux/Dialogs_gtk.h"

#include <fnmatch.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Filter.h"

namespace vellix::gtk {

namespace {

// Patterns match without regard to letter case, as on Windows: *.hwp finds
// REPORT.HWP too.
struct Patterns {
  std::vector<std::string> list;
};

gboolean MatchesAny(const GtkFileFilterInfo* info, gpointer data) {
  const auto* patterns = static_cast<const Patterns*>(data);
  const char* name = info->display_name ? info->display_name : info->filename;
  if (!name) return FALSE;
  for (const std::string& p : patterns->list)
    if (fnmatch(p.c_str(), name, FNM_CASEFOLD) == 0) return TRUE;
  return FALSE;
}

}  // namespace

bool FileDialogGtk::Execute() {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      nullptr, app_.DialogParent(), save_ ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
      "_Cancel", GTK_RESPONSE_CANCEL, save_ ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_window_set_title(GTK_WINDOW(dialog), ToUtf8(app_.Title()).c_str());
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
  gtk_file_chooser_set_local_only(chooser, TRUE);

  bool first = true;
  for (const ui::FilterEntry& entry : ui::ParseFilter(filter_)) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, ToUtf8(entry.display).c_str());
    auto* patterns = new Patterns;
    for (const Text& p : entry.patterns) patterns->list.push_back(ToUtf8(p));
    gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, &MatchesAny, patterns,
                               [](gpointer data) { delete static_cast<Patterns*>(data); });
    gtk_file_chooser_add_filter(chooser, filter);
    if (first) gtk_file_chooser_set_filter(chooser, filter);
    first = false;
  }
  if (save_) {
    // A preset such as docs\report.hwp names a file of the book's folder; the
    // reader saves it under its own name, without the folder part, which on
    // Linux would become part of the file name.
    const std::size_t cut = fileName_.find_last_of(u"\\/");
    const Text name = cut == Text::npos ? fileName_ : fileName_.substr(cut + 1);
    gtk_file_chooser_set_current_name(chooser, ToUtf8(name).c_str());
  } else if (!fileName_.empty()) {
    gtk_file_chooser_set_filename(chooser, ToUtf8(fileName_).c_str());
  }

  const bool confirmed = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
  if (confirmed) {
    gchar* chosen = gtk_file_chooser_get_filename(chooser);
    if (chosen) {
      fileName_ = FromUtf8(chosen);
      g_free(chosen);
    }
  }
  gtk_widget_destroy(dialog);
  return confirmed;
}

}  // namespace vellix::gtk
