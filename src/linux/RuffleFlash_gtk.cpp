#include "linux/RuffleFlash_gtk.h"

#include "linux/Json.h"
#include "linux/Timings.h"

#include <fontconfig/fontconfig.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "os/Exception.h"
#include "os/FileSystemPath.h"
#include "swf/MovieFacts.h"

namespace vellix::gtk {

namespace {

// The files of the viewer's page; the player also needs one of Ruffle's two
// core pairs, which ruffle.js picks by the features of the web engine.
const char* const kEngineFiles[] = {"player.html", "player.js", "bridge.swf", "ruffle/ruffle.js"};

std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (!realpath(path.c_str(), buffer)) return std::string();
  return buffer;
}

bool IsUnder(const std::string& path, const std::string& root) {
  if (root.empty() || path.empty()) return false;
  if (path == root) return true;
  const std::string prefix = root.back() == '/' ? root : root + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A Korean font for device text: Ruffle's own device font has no Hangul.
void FindKoreanFont(std::string& file, std::string& family) {
  if (!FcInit()) return;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(":lang=ko"));
  if (!pattern) return;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return;
  FcChar8* path = nullptr;
  // Ruffle knows a font by the family name in its name table: the English
  // one, not the one of the reader's language that fontconfig puts first.
  std::string english, first;
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    FcChar8* lang = nullptr;
    if (first.empty()) first = reinterpret_cast<const char*>(name);
    if (FcPatternGetString(match, FC_FAMILYLANG, i, &lang) == FcResultMatch &&
        std::string(reinterpret_cast<const char*>(lang)) == "en")
      english = reinterpret_cast<const char*>(name);
  }
  // Only a file Ruffle can read as a whole font.
  if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && !first.empty()) {
    const std::string candidate = reinterpret_cast<const char*>(path);
    if (candidate.size() > 4 && (candidate.compare(candidate.size() - 4, 4, ".ttf") == 0 ||
                                 candidate.compare(candidate.size() - 4, 4, ".otf") == 0)) {
      file = candidate;
      family = english.empty() ? first : english;
    }
  }
  FcPatternDestroy(match);
}

// "ShowAll" as Ruffle spells its options: "showAll".
std::string Option(const Text& flashValue) {
  std::string s = ToUtf8(flashValue);
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] + 32);
  return s;
}

engine::MovieKind ReadKind(const std::string& path) {
  engine::MovieKind kind;
  std::ifstream in(path, std::ios::binary);
  if (!in) return kind;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  swf::MovieRead read = swf::ReadMovieFacts(
      swf::ByteView{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, swf::MovieScan::kFirstFrame);
  if (!read.ok()) return kind;
  kind.playable = true;
  kind.actionScript3 = read.facts.actionScript3();
  if (read.facts.background) {
    const swf::Rgb c = *read.facts.background;
    kind.background = (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
  }
  return kind;
}

std::string StringOf(JSCValue* array, guint index) {
  JSCValue* item = jsc_value_object_get_property_at_index(array, index);
  std::string out;
  if (item && !jsc_value_is_undefined(item)) {
    char* text = jsc_value_to_string(item);
    if (text) out = text;
    g_free(text);
  }
  if (item) g_object_unref(item);
  return out;
}

}  // namespace

std::vector<std::string> EngineFiles::Missing() const {
  std::vector<std::string> missing;
  for (const char* name : kEngineFiles)
    if (!IsFile(folder + "/" + name)) missing.push_back(folder + "/" + name);
  return missing;
}

EngineFiles FindEngineFiles(const std::string& executable) {
  EngineFiles files;
  std::string exe = RealPath(executable);
  if (exe.empty()) exe = executable;
  const std::size_t slash = exe.rfind('/');
  const std::string bin = slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
  files.folder = RealPath(bin + "/../share/vellix");
  if (files.folder.empty()) files.folder = bin + "/../share/vellix";
  FindKoreanFont(files.fontFile, files.fontFamily);
  return files;
}

RuffleEngine::RuffleEngine(Application& app, EngineFiles files, std::string bookFolder,
                           std::function<std::vector<std::string>()> memoFolders)
    : app_(app),
      files_(std::move(files)),
      bookFolder_(std::move(bookFolder)),
      memoFolders_(std::move(memoFolders)),
      context_(nullptr) {}

WebKitWebContext* RuffleEngine::Context() {
  if (context_) return context_;
  context_ = webkit_web_context_get_default();
  // Ruffle asks for the page's language and creates no player without one
  // (under LANG=C there is none).
  const char* languages[] = {"ko-KR", "en-US", nullptr};
  webkit_web_context_set_preferred_languages(context_, languages);
  webkit_web_context_set_cache_model(context_, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
  webkit_web_context_register_uri_scheme(context_, engine::kScheme, &RuffleEngine::Serve, this, nullptr);
  WebKitSecurityManager* security = webkit_web_context_get_security_manager(context_);
  webkit_security_manager_register_uri_scheme_as_secure(security, engine::kScheme);
  webkit_security_manager_register_uri_scheme_as_cors_enabled(security, engine::kScheme);
  return context_;
}

RuffleEngine::~RuffleEngine() {
  if (spare_.view) {
    gtk_widget_destroy(GTK_WIDGET(spare_.view));
    g_object_unref(spare_.view);
    g_object_unref(spare_.content);
  }
}

void RuffleEngine::Park(SparePage page) {
  if (!spare_.view && !lost_) {
    spare_ = page;
    return;
  }
  gtk_widget_destroy(GTK_WIDGET(page.view));
  g_object_unref(page.view);
  g_object_unref(page.content);
}

bool RuffleEngine::Take(SparePage& page) {
  if (!spare_.view || lost_) return false;
  page = spare_;
  spare_ = SparePage{};
  return true;
}

std::string RuffleEngine::Served(const std::string& requestedPath) const {
  const std::string real = RealPath(FileSystemPath(FromUtf8(requestedPath)));
  if (real.empty() || !IsFile(real)) return std::string();
  if (IsUnder(real, RealPath(files_.folder))) return real;
  if (IsUnder(real, RealPath(bookFolder_))) return real;
  if (!files_.fontFile.empty() && real == RealPath(files_.fontFile)) return real;
  if (memoFolders_) {
    for (const std::string& memo : memoFolders_())
      if (IsUnder(real, RealPath(memo))) return real;
  }
  return std::string();
}

void RuffleEngine::Serve(WebKitURISchemeRequest* request, gpointer self) {
  auto* engine = static_cast<RuffleEngine*>(self);
  const char* uri = webkit_uri_scheme_request_get_uri(request);
  const std::string prefix = std::string(engine::kScheme) + "://local/";
  std::string served;
  if (uri && std::string(uri).compare(0, prefix.size(), prefix) == 0) {
    const char* path = webkit_uri_scheme_request_get_path(request);
    served = engine->Served(engine::PathOfRequest(path ? path : ""));
  }
  GFile* file = served.empty() ? nullptr : g_file_new_for_path(served.c_str());
  GFileInputStream* stream = file ? g_file_read(file, nullptr, nullptr) : nullptr;
  GFileInfo* info = stream ? g_file_input_stream_query_info(stream, G_FILE_ATTRIBUTE_STANDARD_SIZE, nullptr, nullptr)
                           : nullptr;
  if (!stream || !info) {
    // Files the page may not read answer as missing ones do.
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "not found");
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
  } else {
    const std::string type = engine::ContentType(served);
    WebKitURISchemeResponse* response =
        webkit_uri_scheme_response_new(G_INPUT_STREAM(stream), g_file_info_get_size(info));
    // The headers replace the content type given apart, so it goes in both.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Type", type.c_str());
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_response_set_content_type(response, type.c_str());
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
  }
  if (info) g_object_unref(info);
  if (stream) g_object_unref(stream);
  if (file) g_object_unref(file);
}

void RuffleEngine::EngineLost(const std::string& reason) {
  if (lost_) return;
  lost_ = true;
  if (OnEngineLost) OnEngineLost(reason);
}

RuffleFlash::RuffleFlash(RuffleEngine& engine, const FlashSettings& settings, RuffleFlash* related)
    : engine_(engine), settings_(settings), related_(related) {
  static int made = 0;
  number_ = made++;
  holder_ = GTK_WIDGET(g_object_ref_sink(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0)));
  if (related_) Start();
}

void RuffleFlash::StartWhenShown(GtkWidget* window) {
  shownWindow_ = window;
  // After the window's first paint: idle work runs after drawing.
  g_signal_connect_swapped(window, "map-event", G_CALLBACK(+[](RuffleFlash* flash) -> gboolean {
                             if (!flash->startLater_ || flash->view_) return FALSE;
                             g_source_remove(flash->startLater_);
                             flash->startLater_ = g_idle_add(
                                 [](gpointer self) -> gboolean {
                                   auto* f = static_cast<RuffleFlash*>(self);
                                   f->startLater_ = 0;
                                   f->Start();
                                   return G_SOURCE_REMOVE;
                                 },
                                 flash);
                             return FALSE;
                           }),
                           this);
  startLater_ = g_timeout_add(500, [](gpointer self) -> gboolean {
    auto* f = static_cast<RuffleFlash*>(self);
    f->startLater_ = 0;
    f->Start();
    return G_SOURCE_REMOVE;
  }, this);
}

void RuffleFlash::Start() {
  if (view_ || destroyed_) return;
  RuffleFlash* related = related_;
  RuffleEngine& engine = engine_;
  RuffleEngine::SparePage spare;
  if (related && engine.Take(spare)) {
    // The page of a closed popup, its engine loaded and ready.
    view_ = spare.view;
    content_ = spare.content;
    pageReady_ = true;
    Connect();
    Configure();
    Show();
    return;
  }
  content_ = webkit_user_content_manager_new();
  webkit_user_content_manager_register_script_message_handler(content_, "fscommand");
  webkit_user_content_manager_register_script_message_handler(content_, "engine");
  WebKitSettings* web = webkit_settings_new();
  webkit_settings_set_enable_javascript(web, TRUE);
  webkit_settings_set_enable_developer_extras(web, FALSE);
  webkit_settings_set_enable_back_forward_navigation_gestures(web, FALSE);
  // Ruffle draws into a canvas; without a GPU, WebKit's compositing only
  // copies it again: measured, a third of the CPU for an animated page at
  // the same frame rate, and less memory.
  webkit_settings_set_hardware_acceleration_policy(web, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  // Popups share the book's web process.
  gpointer view = related && related->view_
                      ? g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related->view_, "user-content-manager",
                                     content_, "settings", web, nullptr)
                      : g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", engine.Context(), "user-content-manager",
                                     content_, "settings", web, nullptr);
  g_object_unref(web);
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(view));
  GdkRGBA black{0, 0, 0, 1};
  webkit_web_view_set_background_color(view_, &black);
  Connect();
  // The page is configured before it is given what was asked of it so far.
  std::vector<std::pair<std::string, std::string>> asked;
  asked.swap(waiting_);
  Configure();
  waiting_.insert(waiting_.end(), asked.begin(), asked.end());
  webkit_web_view_load_uri(view_, engine::LocalUrl(engine.Files().folder + "/player.html").c_str());
  Show();
}

void RuffleFlash::Show() {
  gtk_box_pack_start(GTK_BOX(holder_), GTK_WIDGET(view_), TRUE, TRUE, 0);
  gtk_widget_show(GTK_WIDGET(view_));
  if (focusWhenStarted_) gtk_widget_grab_focus(GTK_WIDGET(view_));
  focusWhenStarted_ = false;
}

void RuffleFlash::Connect() {
  g_signal_connect(content_, "script-message-received::fscommand", G_CALLBACK(&RuffleFlash::OnScriptMessage), this);
  g_signal_connect(content_, "script-message-received::engine", G_CALLBACK(&RuffleFlash::OnEngineMessage), this);
  g_signal_connect(view_, "web-process-terminated", G_CALLBACK(&RuffleFlash::OnTerminated), this);
}

RuffleFlash::~RuffleFlash() {
  Destroy();
  if (content_) g_object_unref(content_);
  g_object_unref(holder_);
}

void RuffleFlash::Configure() {
  using engine::Json;
  const EngineFiles& files = engine_.Files();
  Json options = Json::Object();
  options.Set("allowScriptAccess", Json::Bool(true))
      .Set("autoplay", Json::String(settings_.playing ? "on" : "off"))
      .Set("unmuteOverlay", Json::String("hidden"))
      .Set("splashScreen", Json::Bool(false))
      .Set("letterbox", Json::String("off"))
      .Set("scale", Json::String(Option(settings_.scale)))
      .Set("quality", Json::String(Option(settings_.quality)))
      .Set("wmode", Json::String(Option(settings_.wmode)))
      .Set("contextMenu", Json::String("off"))
      .Set("menu", Json::Bool(false))
      .Set("warnOnUnsupportedContent", Json::Bool(false))
      .Set("openUrlMode", Json::String("deny"))
      .Set("upgradeToHttps", Json::Bool(false))
      .Set("allowFullscreen", Json::Bool(settings_.allowFullScreen == u"true"))
      .Set("allowNetworking", Json::String(ToUtf8(settings_.allowNetworking)))
      .Set("showSwfDownload", Json::Bool(false))
      .Set("logLevel", Json::String("error"))
      .Set("preferredRenderer", Json::String("canvas"))
      .Set("base", Json::String(engine::LocalUrl(engine_.BookFolder())));
  if (!files.fontFile.empty()) {
    const Json family = Json::Strings({files.fontFamily});
    options.Set("fontSources", Json::Strings({engine::LocalUrl(files.fontFile)}))
        .Set("defaultFonts", Json::Object().Set("sans", family).Set("serif", family).Set("typewriter", family));
  }
  Json config = Json::Object();
  config.Set("publicPath", Json::String(engine::LocalUrl(files.folder + "/ruffle/")))
      .Set("bridge", Json::String(engine::LocalUrl(files.folder + "/bridge.swf")))
      .Set("view", Json::String(std::to_string(number_)))
      .Set("reportFirstFrame", Json::Bool(TimingsEnabled()))
      .Set("options", options);
  Call("configure", config.Text());
}

void RuffleFlash::Call(const std::string& function, const std::string& json) {
  if (destroyed_) return;
  if (!pageReady_ || !view_) {
    waiting_.emplace_back(function, json);
    return;
  }
  // The texts travel as one JSON argument, never as code.
  const std::string body = "vellix." + function + "(JSON.parse(json));";
  GVariantBuilder arguments;
  g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&arguments, "{sv}", "json", g_variant_new_string(json.c_str()));
  webkit_web_view_call_async_javascript_function(
      view_, body.c_str(), -1, g_variant_builder_end(&arguments), nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer) {
        GError* error = nullptr;
        JSCValue* value =
            webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
        if (value) g_object_unref(value);
        if (error) {
          g_printerr("vellix-viewer: the page refused a call: %s\n", error->message);
          g_error_free(error);
        }
      },
      nullptr);
}

void RuffleFlash::SetMovie(const Text& movie) {
  if (destroyed_) return;
  moviePending_ = true;
  pendingMovie_ = movie;
  pendingVariables_.clear();
  ScheduleFlush();
}

void RuffleFlash::SetVariable(const Text& name, const Text& value) {
  if (destroyed_) return;
  // A variable set right after Movie rides along with the movie's load, so
  // that the new movie sees it.
  if (moviePending_) {
    pendingVariables_.emplace_back(name, value);
    return;
  }
  Call("set", engine::Json::Strings({engine::BridgeVariableName(name), ToUtf8(value)}).Text());
}

void RuffleFlash::ScheduleFlush() {
  if (!flush_) flush_ = g_idle_add_full(G_PRIORITY_DEFAULT, &RuffleFlash::FlushLater, this, nullptr);
}

gboolean RuffleFlash::FlushLater(gpointer self) {
  auto* flash = static_cast<RuffleFlash*>(self);
  flash->flush_ = 0;
  flash->Flush();
  return G_SOURCE_REMOVE;
}

void RuffleFlash::Flush() {
  if (!moviePending_ || destroyed_) return;
  moviePending_ = false;
  const std::string path = FileSystemPath(pendingMovie_);
  const engine::MovieLoad load =
      engine::PlanMovieLoad(pendingMovie_, path, ReadKind(path), pendingVariables_);
  pendingVariables_.clear();
  if (load.way == engine::MovieLoad::Way::kBlank) {
    Call("blank", "null");
    return;
  }
  using engine::Json;
  Json movie = Json::Object();
  movie.Set("way", Json::String(load.way == engine::MovieLoad::Way::kBridge ? "bridge" : "direct"))
      .Set("url", Json::String(load.url))
      .Set("background", Json::String(load.background))
      .Set("flashVars", Json::Pairs(load.flashVars))
      .Set("later", Json::Pairs(load.later));
  Call("load", movie.Text());
}

void RuffleFlash::SetFocus() {
  if (view_)
    gtk_widget_grab_focus(GTK_WIDGET(view_));
  else
    focusWhenStarted_ = !destroyed_;
}

void RuffleFlash::Destroy() {
  if (destroyed_) return;
  if (flush_) g_source_remove(flush_);
  flush_ = 0;
  if (startLater_) g_source_remove(startLater_);
  startLater_ = 0;
  if (shownWindow_) g_signal_handlers_disconnect_by_data(shownWindow_, this);
  shownWindow_ = nullptr;
  waiting_.clear();
  WebKitWebView* view = view_;
  if (view && related_ && pageReady_ && !engine_.Lost()) {
    // The movie stops; the page stays for the next popup.
    Call("blank", "null");
    destroyed_ = true;
    g_signal_handlers_disconnect_by_data(content_, this);
    g_signal_handlers_disconnect_by_data(view, this);
    gtk_container_remove(GTK_CONTAINER(holder_), GTK_WIDGET(view));
    view_ = nullptr;
    engine_.Park(RuffleEngine::SparePage{view, content_});
    content_ = nullptr;
  } else if (view) {
    destroyed_ = true;
    g_signal_handlers_disconnect_by_data(content_, this);
    webkit_user_content_manager_unregister_script_message_handler(content_, "fscommand");
    webkit_user_content_manager_unregister_script_message_handler(content_, "engine");
    g_signal_handlers_disconnect_by_data(view, this);
    view_ = nullptr;
    // The movie stops with its view.
    gtk_widget_destroy(GTK_WIDGET(view));
    g_object_unref(view);
  }
  destroyed_ = true;
  gtk_widget_destroy(holder_);
}

Bounds RuffleFlash::ControlBounds() const {
  if (destroyed_) return Bounds{};
  GtkAllocation a;
  gtk_widget_get_allocation(holder_, &a);
  return Bounds{a.x, a.y, a.width, a.height};
}

void RuffleFlash::OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self) {
  auto* flash = static_cast<RuffleFlash*>(self);
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!value || !jsc_value_is_array(value) || !flash->Mine(value, 2)) return;
  const std::string command8 = StringOf(value, 0), args8 = StringOf(value, 1);
  LogFSCommand(flash->number_, command8, args8);
  const Text command = FromUtf8(command8);
  const Text args = FromUtf8(args8);
  if (flash->OnEngineEvent) flash->OnEngineEvent("first-fscommand", std::string());
  if (!flash->OnFSCommand) return;
  // A copy: the handler may destroy this control and its handler with it.
  auto handler = flash->OnFSCommand;
  RunGuarded(flash->engine_.App(), [&] { handler(command, args); });
}

void RuffleFlash::OnEngineMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self) {
  auto* flash = static_cast<RuffleFlash*>(self);
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!value || !jsc_value_is_array(value) || !flash->Mine(value, 2)) return;
  const std::string event = StringOf(value, 0);
  const std::string detail = StringOf(value, 1);
  if (event == "page-ready" && !flash->pageReady_) {
    flash->pageReady_ = true;
    std::vector<std::pair<std::string, std::string>> waiting;
    waiting.swap(flash->waiting_);
    for (const auto& [function, json] : waiting) flash->Call(function, json);
  } else if (event == "error") {
    g_printerr("vellix-viewer: %s\n", detail.c_str());
  }
  if (flash->OnEngineEvent) flash->OnEngineEvent(event, detail);
}

bool RuffleFlash::Mine(JSCValue* message, guint index) const {
  // The page names the view it was configured for; before that it only
  // says it is ready.
  const std::string view = StringOf(message, index);
  return view.empty() ? !pageReady_ : view == std::to_string(number_);
}

void RuffleFlash::OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self) {
  auto* flash = static_cast<RuffleFlash*>(self);
  const char* why = reason == WEBKIT_WEB_PROCESS_CRASHED               ? "crashed"
                    : reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "ran out of memory"
                                                                          : "was ended";
  flash->engine_.EngineLost(why);
}

}  // namespace vellix::gtk
