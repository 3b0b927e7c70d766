#pragma once
// The Linux shell's Flash control: Ruffle, an open-source Flash player, in a
// WebKitGTK web view, behind TShockwaveFlash. One RuffleEngine serves every
// view of the program: the URI scheme through which the page loads the
// viewer's own files, the book's files and the memos, and nothing else; one
// web process for all views.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "flash/ShockwaveFlash.h"
#include "linux/Application_gtk.h"
#include "linux/MovieRequests.h"

namespace vellix::gtk {

// Where the viewer's own files are: the page, its script, Ruffle and the
// bridge movie.
struct EngineFiles {
  std::string folder;        // share/vellix, absolute
  std::string fontFile;      // a Korean font for device text
  std::string fontFamily;
  // The names that must exist in `folder`; empty when all are there.
  std::vector<std::string> Missing() const;
};

// The viewer's files beside its executable (../share/vellix), and a Korean
// font found with fontconfig.
EngineFiles FindEngineFiles(const std::string& executable);

class RuffleEngine {
 public:
  // `memoFolders` lists the memo folders the movies may read now (each
  // removable medium's TxtData); asked on every request.
  RuffleEngine(Application& app, EngineFiles files, std::string bookFolder,
               std::function<std::vector<std::string>()> memoFolders);
  ~RuffleEngine();
  RuffleEngine(const RuffleEngine&) = delete;
  RuffleEngine& operator=(const RuffleEngine&) = delete;

  Application& App() { return app_; }
  const EngineFiles& Files() const { return files_; }
  const std::string& BookFolder() const { return bookFolder_; }
  // The web context, made on first use: WebKit's start takes a tenth of a
  // second or more, better spent after the book window is on the screen.
  WebKitWebContext* Context();

  // The real path of a file the page may read; empty when it may not.
  std::string Served(const std::string& requestedPath) const;

  // Called once when the web process is gone (all views stop with it).
  std::function<void(const std::string& reason)> OnEngineLost;
  void EngineLost(const std::string& reason);
  bool Lost() const { return lost_; }

  // A popup's page, its player removed, kept for the next popup: a page
  // that is closed leaves its engine's memory to the web process until a
  // collection that may never come, while a page used again has the engine
  // ready and reuses that memory. One is kept; Take hands it over (false
  // when there is none).
  struct SparePage {
    WebKitWebView* view = nullptr;  // one reference, not in any window
    WebKitUserContentManager* content = nullptr;
  };
  void Park(SparePage page);
  bool Take(SparePage& page);

 private:
  static void Serve(WebKitURISchemeRequest* request, gpointer self);

  Application& app_;
  EngineFiles files_;
  std::string bookFolder_;
  std::function<std::vector<std::string>()> memoFolders_;
  WebKitWebContext* context_;
  bool lost_ = false;
  SparePage spare_;
};

class RuffleFlash : public TShockwaveFlash {
 public:
  // A view of its own, sharing the web process of `related` when given. A
  // popup's view is made at once; the book's once Start is called (commands
  // given before wait for its page).
  RuffleFlash(RuffleEngine& engine, const FlashSettings& settings, RuffleFlash* related = nullptr);
  ~RuffleFlash() override;
  RuffleFlash(const RuffleFlash&) = delete;
  RuffleFlash& operator=(const RuffleFlash&) = delete;

  // What holds the view, to be put into a window; null once destroyed.
  GtkWidget* Widget() const { return destroyed_ ? nullptr : holder_; }
  // Makes the view and loads its page, once.
  void Start();
  // Starts once `window` is on the screen (or, should it never be mapped,
  // after half a second).
  void StartWhenShown(GtkWidget* window);

  void SetMovie(const Text& movie) override;
  void SetVariable(const Text& name, const Text& value) override;
  void SetFocus() override;
  void Destroy() override;
  bool Destroyed() const override { return destroyed_; }
  Bounds ControlBounds() const override;
  void SetControlBounds(const Bounds&) override {}

  // What the page reported last ("page-ready", "movie-ready", ...); for
  // tests and benchmarks.
  std::function<void(const std::string& event, const std::string& detail)> OnEngineEvent;

 private:
  static void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self);
  static void OnEngineMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self);
  static void OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self);
  static gboolean FlushLater(gpointer self);

  void Connect();
  // Puts the view into its holder.
  void Show();
  // Whether a message of the page (its view number at `index`) is this view's.
  bool Mine(JSCValue* message, guint index) const;
  void ScheduleFlush();
  void Flush();
  // Calls vellix.<function>(value) in the page, `json` giving the value, once
  // the page is ready; calls made before wait, in order.
  void Call(const std::string& function, const std::string& json);
  void Configure();

  RuffleEngine& engine_;
  FlashSettings settings_;
  // In the order the views were made: the page's messages carry it, so that
  // those of a page's earlier movie are not taken for this view's.
  int number_;
  RuffleFlash* related_;
  GtkWidget* holder_;
  bool destroyed_ = false;
  bool focusWhenStarted_ = false;
  guint startLater_ = 0;
  GtkWidget* shownWindow_ = nullptr;  // the window StartWhenShown watches
  WebKitWebView* view_ = nullptr;
  WebKitUserContentManager* content_ = nullptr;
  bool pageReady_ = false;
  std::vector<std::pair<std::string, std::string>> waiting_;
  // The movie asked for and the variables set since, until handed over.
  bool moviePending_ = false;
  Text pendingMovie_;
  std::vector<std::pair<Text, Text>> pendingVariables_;
  guint flush_ = 0;
};

}  // namespace vellix::gtk
