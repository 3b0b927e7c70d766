// bench_bare_page: the floor of the Linux viewer's engine figures. A GTK
// window (800 x 600) with one WebKitGTK web view whose page creates one
// Ruffle player and plays one movie; nothing of the viewer in between.
//
//   bench_bare_page --ruffle DIR --movie FILE [--bridge FILE] [--renderer NAME]
//                   [--echo] [--accelerated]
//
// The page and the files come through a vellix://local/<path> scheme (a
// file:// page cannot load Ruffle's wasm), registered as the viewer
// registers its own. With --bridge the movie is loaded by the bridge movie
// into _level0, as the viewer loads a book. With --echo a
// function_InputParameter command is handed to the shell port (GioShell, as
// the viewer's dispatcher does) and answered with the variable 변수명 = "12"
// through the bridge's SetVariable: the least a host does for a reply.
// --renderer is Ruffle's preferredRenderer ("canvas" by default, as the
// viewer); WebKit's hardware acceleration is off, as in the viewer, unless
// --accelerated; the environment (JSC_*, WEBKIT_*) is the caller's.
//
// Prints on standard error, milliseconds on CLOCK_MONOTONIC:
//   bench_bare_page: timing <step> <ms>   start, window-shown, page-ready,
//                                         first-frame, first-fscommand
//   bench_bare_page: fscommand <ms> 0 <command> <args>   every FSCommand
#include <gtk/gtk.h>
#include <time.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "os/Ports_linux.h"
#include "text/Text.h"

namespace {

double Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

void Mark(const char* step) {
  static std::set<std::string> marked;
  if (!marked.insert(step).second) return;
  std::fprintf(stderr, "bench_bare_page: timing %s %.3f\n", step, Now());
  std::fflush(stderr);
}

struct Options {
  std::string ruffle, movie, bridge, renderer = "canvas";
  bool echo = false;
  bool accelerated = false;
};

Options g_options;
std::string g_page;
std::set<std::string> g_roots;
vellix::GioShell* g_shell = nullptr;
WebKitWebView* g_view = nullptr;

std::string Url(const std::string& path) {
  char* escaped = g_uri_escape_string(path.c_str(), "/", FALSE);
  std::string url = std::string("vellix://local") + escaped;
  g_free(escaped);
  return url;
}

std::string Folder(const std::string& file) { return file.substr(0, file.rfind('/')); }

// A JSON string of ASCII or UTF-8 text.
std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '<') {
      out += "\\u003c";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string Page() {
  const bool bridge = !g_options.bridge.empty();
  std::string load = "{url: " + Quoted(Url(bridge ? g_options.bridge : g_options.movie)) +
                     ", base: " + Quoted(Url(Folder(g_options.movie)) + "/") +
                     (bridge ? ", parameters: {movie: " + Quoted(Url(g_options.movie)) + "}" : "") +
                     ", autoplay: \"on\", unmuteOverlay: \"hidden\", splashScreen: false, allowScriptAccess: true"
                     ", logLevel: \"error\", preferredRenderer: " + Quoted(g_options.renderer) + "}";
  return "<!doctype html><html><head><meta charset=\"utf-8\"><style>"
         "html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; background: #000; }"
         "#stage, #stage > * { width: 100%; height: 100%; }</style>"
         "<script>window.RufflePlayer = {config: {publicPath: " + Quoted(Url(g_options.ruffle) + "/") +
         ", polyfills: false}};</script>"
         "<script src=\"" + Url(g_options.ruffle + "/ruffle.js") + "\"></script></head>"
         "<body><div id=\"stage\"></div><script>\n"
         "\"use strict\";\n"
         "const post = (...v) => window.webkit.messageHandlers.bench.postMessage(v.map(String));\n"
         "post(\"page-ready\");\n"
         "const player = window.RufflePlayer.newest().createPlayer();\n"
         "document.getElementById(\"stage\").appendChild(player);\n"
         "player.ruffle().addFSCommandHandler((c, a) => { post(\"fscommand\", c, a); return true; });\n"
         "player.ruffle().load(" + load + ").catch((e) => post(\"error\", e));\n"
         "const check = () => player.ruffle().readyState === 2 ? requestAnimationFrame(() => post(\"first-frame\"))"
         " : requestAnimationFrame(check);\n"
         "requestAnimationFrame(check);\n"
         "window.reply = (name, value) => player.ruffle().callExternalInterface(\"SetVariable\", name, value);\n"
         "</script></body></html>";
}

bool Allowed(const std::string& path) {
  for (const std::string& root : g_roots)
    if (path.compare(0, root.size() + 1, root + "/") == 0 && path.find("/../") == std::string::npos) return true;
  return false;
}

const char* TypeOf(const std::string& path) {
  auto ends = [&](const char* e) {
    const std::size_t n = std::strlen(e);
    return path.size() >= n && path.compare(path.size() - n, n, e) == 0;
  };
  if (ends(".js")) return "text/javascript";
  if (ends(".wasm")) return "application/wasm";
  if (ends(".swf")) return "application/x-shockwave-flash";
  if (ends(".html")) return "text/html; charset=utf-8";
  return "application/octet-stream";
}

void Respond(WebKitURISchemeRequest* request, GInputStream* stream, gint64 size, const char* type) {
  WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, size);
  SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  soup_message_headers_append(headers, "Content-Type", type);
  webkit_uri_scheme_response_set_http_headers(response, headers);
  webkit_uri_scheme_response_set_content_type(response, type);
  webkit_uri_scheme_request_finish_with_response(request, response);
  g_object_unref(response);
}

void Serve(WebKitURISchemeRequest* request, gpointer) {
  char* decoded = g_uri_unescape_string(webkit_uri_scheme_request_get_path(request), nullptr);
  const std::string path = decoded ? decoded : "";
  g_free(decoded);
  if (path == "/bare.html") {
    GInputStream* stream = g_memory_input_stream_new_from_data(g_strdup(g_page.c_str()), g_page.size(), g_free);
    Respond(request, stream, g_page.size(), "text/html; charset=utf-8");
    g_object_unref(stream);
    return;
  }
  GFile* file = Allowed(path) ? g_file_new_for_path(path.c_str()) : nullptr;
  GFileInputStream* stream = file ? g_file_read(file, nullptr, nullptr) : nullptr;
  GFileInfo* info = stream ? g_file_input_stream_query_info(stream, G_FILE_ATTRIBUTE_STANDARD_SIZE, nullptr, nullptr)
                           : nullptr;
  if (info) {
    Respond(request, G_INPUT_STREAM(stream), g_file_info_get_size(info), TypeOf(path));
  } else {
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "not found");
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
  }
  if (info) g_object_unref(info);
  if (stream) g_object_unref(stream);
  if (file) g_object_unref(file);
}

std::string Item(JSCValue* array, guint index) {
  JSCValue* item = jsc_value_object_get_property_at_index(array, index);
  std::string out;
  if (item && !jsc_value_is_undefined(item)) {
    char* text = jsc_value_to_string(item);
    out = text ? text : "";
    g_free(text);
  }
  if (item) g_object_unref(item);
  return out;
}

void Reply() {
  GVariantBuilder arguments;
  g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&arguments, "{sv}", "name", g_variant_new_string("_level0.\xEB\xB3\x80\xEC\x88\x98\xEB\xAA\x85"));
  g_variant_builder_add(&arguments, "{sv}", "value", g_variant_new_string("12"));
  webkit_web_view_call_async_javascript_function(g_view, "reply(name, value);", -1, g_variant_builder_end(&arguments),
                                                 nullptr, nullptr, nullptr, nullptr, nullptr);
}

void OnMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!value || !jsc_value_is_array(value)) return;
  const double arrived = Now();
  const std::string event = Item(value, 0);
  if (event == "fscommand") {
    const std::string command = Item(value, 1), args = Item(value, 2);
    if (command == "vellix_bridge_ready") {
      Mark("bridge-ready");
      return;
    }
    Mark("first-fscommand");
    if (g_options.echo && args == "function_InputParameter") {
      g_shell->Open(vellix::ShellOwner::BookWindow, args, std::string(), std::string(), 1);
      Reply();
    }
    std::fprintf(stderr, "bench_bare_page: fscommand %.3f 0 %s %s\n", arrived, command.c_str(), args.c_str());
    std::fflush(stderr);
  } else if (event == "error") {
    std::fprintf(stderr, "bench_bare_page: error %s\n", Item(value, 1).c_str());
  } else {
    Mark(event.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  Mark("start");
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--ruffle" && more) g_options.ruffle = argv[++i];
    else if (a == "--movie" && more) g_options.movie = argv[++i];
    else if (a == "--bridge" && more) g_options.bridge = argv[++i];
    else if (a == "--renderer" && more) g_options.renderer = argv[++i];
    else if (a == "--echo") g_options.echo = true;
    else if (a == "--accelerated") g_options.accelerated = true;
    else {
      std::fprintf(stderr, "usage: bench_bare_page --ruffle DIR --movie FILE [--bridge FILE] [--renderer NAME] [--echo] [--accelerated]\n");
      return 2;
    }
  }
  if (g_options.ruffle.empty() || g_options.movie.empty()) return 2;
  gtk_init(&argc, &argv);
  g_roots = {g_options.ruffle, Folder(g_options.movie)};
  if (!g_options.bridge.empty()) g_roots.insert(Folder(g_options.bridge));
  g_page = Page();
  vellix::GioShell shell(vellix::FromUtf8(Folder(g_options.movie) + "/"));
  g_shell = &shell;

  WebKitWebContext* context = webkit_web_context_get_default();
  const char* languages[] = {"ko-KR", "en-US", nullptr};
  webkit_web_context_set_preferred_languages(context, languages);
  webkit_web_context_register_uri_scheme(context, "vellix", &Serve, nullptr, nullptr);
  WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
  webkit_security_manager_register_uri_scheme_as_secure(security, "vellix");
  webkit_security_manager_register_uri_scheme_as_cors_enabled(security, "vellix");

  WebKitUserContentManager* content = webkit_user_content_manager_new();
  g_signal_connect(content, "script-message-received::bench", G_CALLBACK(&OnMessage), nullptr);
  webkit_user_content_manager_register_script_message_handler(content, "bench");
  WebKitSettings* settings = webkit_settings_new();
  if (!g_options.accelerated)
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  g_view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager", content,
                                        "settings", settings, nullptr));
  g_object_unref(settings);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "bench_bare_page");
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(g_view));
  g_signal_connect(window, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean {
                     Mark("window-shown");
                     return FALSE;
                   }),
                   nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  webkit_web_view_load_uri(g_view, "vellix://local/bare.html");
  gtk_main();
  return 0;
}
