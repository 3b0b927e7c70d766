// vellix-viewer <path> [argument]: plays a book on Linux with Ruffle. The
// path names the book's <Book>.exe, its <Book>.swf or its folder; the
// argument is the book's command-line argument 1 (its first page). Exit code
// 0 whatever the book does; 1 when no book can be opened at all.
#include <gtk/gtk.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "book/BookPaths.h"
#include "commands/MemoStore.h"
#include "linux/Application_gtk.h"
#include "linux/BookLocation.h"
#include "linux/RuffleFlash_gtk.h"
#include "linux/Timings.h"
#include "linux/Viewer_gtk.h"
#include "os/FileSystemPath.h"
#include "os/Ports_linux.h"
#include "text/CodePage.h"

namespace {

constexpr char kUsage[] =
    "usage: vellix-viewer [--timings] <book> [argument]\n"
    "  <book>      the book's <Book>.exe, its <Book>.swf, or the folder that holds it\n"
    "  [argument]  handed to the book as its first page\n"
    "  --timings   print the time of each step of the start on standard error\n";

// One message for a book that cannot be opened: on the terminal, and in a
// box when there is a display (the viewer is usually started from a file
// manager).
int Fail(const std::string& message, bool display) {
  std::fprintf(stderr, "vellix-viewer: %s\n", message.c_str());
  if (display) {
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s",
                                            message.c_str());
    gtk_window_set_title(GTK_WINDOW(box), "Vellix EBook Viewer");
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
  }
  return 1;
}

}  // namespace

// GTK and WebKit keep allocations for the life of the process; in a build
// with the sanitizers their leak report at exit is noise, not a finding.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
  using namespace vellix;
  std::setlocale(LC_ALL, "");
  // JavaScriptCore's top compiler tier spends seconds on Ruffle's start for
  // no gain in a book; the web process inherits the setting.
  g_setenv("JSC_useOMGJIT", "0", FALSE);
  if (argc >= 2 && std::string(argv[1]) == "--timings") {
    gtk::EnableTimings();
    gtk::MarkTiming("start");
    for (int i = 1; i + 1 <= argc; ++i) argv[i] = argv[i + 1];
    --argc;
  }
  const bool display = gtk_init_check(&argc, &argv);
  if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
    std::fputs(kUsage, stderr);
    return argc >= 2 && std::string(argv[1]) == "--help" ? 0 : 1;
  }
  const BookLocation location = LocateBook(argv[1]);
  if (!location.found()) return Fail(location.error, display);
  if (!display) return Fail("There is no display to open the book on.", false);

  gtk::EngineFiles files = gtk::FindEngineFiles("/proc/self/exe");
  const std::vector<std::string> missing = files.Missing();
  if (!missing.empty()) return Fail("The viewer is incomplete: " + missing.front() + " is missing.", display);

  const BookPaths paths = MakeBookPaths(FromUtf8(location.executable));
  gtk::Application app(DefaultTitle(paths.executable));
  GioShell shell(paths.folder);
  LinuxFiles linuxFiles;
  LinuxFileSearch search;
  LinuxDrives drives;
  LinuxEnvironment environment = LinuxEnvironment::FromCommandLine(argc, argv);

  // The movies may read the memo folders of the media plugged in now.
  auto memoFolders = [&drives]() {
    std::vector<std::string> folders;
    for (const Text& root : drives.Roots()) folders.push_back(FileSystemPath(MemoFolder(root)));
    return folders;
  };
  gtk::RuffleEngine engine(app, files, FileSystemPath(paths.folder), memoFolders);
  engine.OnEngineLost = [&app](const std::string& reason) {
    // "The movie player stopped (...); the book cannot go on."
    app.ShowException(u"\uBB34\uBE44 \uD50C\uB808\uC774\uC5B4\uAC00 \uBA48\uCDC4\uC2B5\uB2C8\uB2E4 (" +
                      FromUtf8(reason) + u"). \uCC45\uC744 \uACC4\uC18D \uBCFC \uC218 \uC5C6\uC2B5\uB2C8\uB2E4");
    app.Quit();
  };
  gtk::StartupGtk startup(app, engine);
  PlayerFormPorts ports{app, app, app, shell, app, linuxFiles, search, drives, environment};
  return RunViewer(startup, paths, ports);
}
