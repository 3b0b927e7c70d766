#!/usr/bin/python3
"""Plays our movies in Ruffle inside WebKitGTK and checks what they say.

Test code, not the viewer: one window with one web view, a custom vellix:
scheme that serves the test page, Ruffle, a Korean font and the movies, and a
script message handler that hears the movies' FSCommands. It checks that
  - the bridge movie registers its callbacks and says it is ready,
  - the demo book's cover, loaded by the bridge into _level0, sends its
    command, shows a variable set through the bridge's SetVariable and gives
    it back through GetVariable (a screenshot of the cover is saved),
  - the demo's buttons work: from the cover through the contents to the memo
    page, whose memo typed in is saved as a record (&memo=<escaped text>&),
    its folder asked for, and loaded back with loadVariablesNum from the
    folder the host names,
  - the bridge's LoadMovie loads a movie with variables in its query,
  - an ActionScript 3 movie reads its FlashVars and sends an FSCommand.

usage: ruffle_page_test.py --ruffle DIR --bridge FILE --book DIR --as3 FILE
                           --font FILE --out DIR
Runs under a display (xvfb-run). Exit status 0 when every check passed.
"""
import argparse
import json
import mimetypes
import os
import sys
import tempfile
import urllib.parse

# Measured to start Ruffle faster and more reliably on machines without a GPU.
os.environ.setdefault("JSC_useOMGJIT", "0")
os.environ.setdefault("WEBKIT_DISABLE_COMPOSITING_MODE", "1")

import gi  # noqa: E402

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
gi.require_version("Soup", "3.0")
from gi.repository import Gio, GLib, Gtk, Soup, WebKit2  # noqa: E402

TIMEOUT_S = 120
STAGE = (800, 600)  # the demo book's stage
MEMO = "가나 & 다/라 = 100% 메모"
TYPES = {".js": "text/javascript", ".wasm": "application/wasm", ".swf": "application/x-shockwave-flash",
         ".html": "text/html; charset=utf-8", ".ttf": "font/ttf", ".txt": "text/plain"}


class Scheme:
    """Answers vellix://test/<path> from a fixed set of files and folders."""

    def __init__(self, files, folders):
        self.files = files      # path -> file
        self.folders = folders  # prefix ending in "/" -> folder
        self.served = []

    def resolve(self, path):
        if path in self.files:
            return self.files[path]
        for prefix, folder in self.folders.items():
            if path.startswith(prefix):
                root = os.path.realpath(folder)
                full = os.path.realpath(os.path.join(root, path[len(prefix):]))
                if full.startswith(root + os.sep) and os.path.isfile(full):
                    return full
        return None

    def handle(self, request):
        path = GLib.Uri.unescape_string(request.get_path().lstrip("/")) or ""
        full = self.resolve(path)
        if full is None:
            request.finish_error(GLib.Error.new_literal(Gio.io_error_quark(), "not served: " + path,
                                                        Gio.IOErrorEnum.NOT_FOUND))
            return
        self.served.append(path)
        with open(full, "rb") as f:
            data = f.read()
        kind = TYPES.get(os.path.splitext(full)[1].lower()) or mimetypes.guess_type(full)[0] or "application/octet-stream"
        response = WebKit2.URISchemeResponse.new(Gio.MemoryInputStream.new_from_bytes(GLib.Bytes.new(data)), len(data))
        headers = Soup.MessageHeaders.new(Soup.MessageHeadersType.RESPONSE)
        headers.append("Content-Type", kind)
        headers.append("Access-Control-Allow-Origin", "*")
        response.set_http_headers(headers)
        response.set_status(200, None)
        request.finish_with_response(response)


class Run:
    """The steps of the test, driven by the page's messages."""

    def __init__(self, args):
        self.args = args
        self.failures = []
        self.passed = 0
        self.commands = []
        self.pending = {}
        self.step = "page"
        os.makedirs(args.out, exist_ok=True)
        self.memos = tempfile.TemporaryDirectory(prefix="vellix-memos-")

        context = WebKit2.WebContext.get_default()
        context.set_preferred_languages(["ko-KR", "en-US"])  # Ruffle needs a locale it can parse
        ruffle = args.ruffle
        self.scheme = Scheme(
            {"page.html": os.path.join(os.path.dirname(os.path.abspath(__file__)), "page.html"),
             "bridge.swf": args.bridge, "as3.swf": args.as3, "fonts/korean.ttf": args.font},
            {"ruffle/": ruffle, "book/": args.book, "memos/": self.memos.name})
        context.register_uri_scheme("vellix", self.scheme.handle)
        security = context.get_security_manager()
        security.register_uri_scheme_as_secure("vellix")
        security.register_uri_scheme_as_cors_enabled("vellix")

        content = WebKit2.UserContentManager()
        content.connect("script-message-received::vellix", self.on_message)
        content.register_script_message_handler("vellix")
        self.view = WebKit2.WebView.new_with_user_content_manager(content)
        self.view.connect("web-process-terminated", lambda *_: self.fail("the web process ended") or self.finish())
        self.window = Gtk.Window(title="Ruffle test page")
        self.window.set_default_size(900, 680)
        self.window.add(self.view)
        self.window.show_all()
        self.view.load_uri("vellix://test/page.html")
        GLib.timeout_add_seconds(TIMEOUT_S, self.on_timeout)

    # ------------------------------------------------------------ checks
    def check(self, ok, what):
        if ok:
            self.passed += 1
            print("ok:", what, flush=True)
        else:
            self.fail(what)

    def fail(self, what):
        self.failures.append(what)
        print("FAIL:", what, flush=True)

    def on_timeout(self):
        self.fail("timed out in step %r; FSCommands so far: %r" % (self.step, self.commands))
        self.finish()
        return False

    def finish(self):
        print("%d passed, %d failed" % (self.passed, len(self.failures)), flush=True)
        Gtk.main_quit()

    # ------------------------------------------------------------ page
    def js(self, code):
        self.view.evaluate_javascript(code, -1, None, None, None, None, None)

    def start(self, url, parameters, background):
        self.js("start(%s, %s, %s)" % (json.dumps(url), json.dumps(parameters), json.dumps(background)))

    def call(self, name, *args, then):
        key = "r%d" % (len(self.pending) + 1)
        self.pending[key] = then
        self.js("callBridge(%s)" % ", ".join(json.dumps(a) for a in (key, name) + args))

    def click(self, x, y):
        self.js("clickStage(%d, %d, %d, %d)" % (x, y, STAGE[0], STAGE[1]))

    def later(self, ms, action):
        GLib.timeout_add(ms, lambda: action() and False)

    def screenshot(self, name, then):
        path = os.path.join(self.args.out, name)

        def done(view, result):
            try:
                view.get_snapshot_finish(result).write_to_png(path)
                print("screenshot:", path, flush=True)
                self.check(os.path.getsize(path) > 1000, "screenshot " + name + " saved")
            except GLib.Error as e:
                self.fail("screenshot %s: %s" % (name, e.message))
            then()

        self.view.get_snapshot(WebKit2.SnapshotRegion.VISIBLE, WebKit2.SnapshotOptions.NONE, None, done)

    def on_message(self, _manager, result):
        message = json.loads(result.get_js_value().to_string())
        kind = message["kind"]
        if kind == "error":
            print("page error:", message["message"], flush=True)
        elif kind == "fscommand":
            self.commands.append((message["command"], message["args"]))
            print("fscommand: %r %r" % (message["command"], message["args"]), flush=True)
            self.on_fscommand(message["command"], message["args"])
        elif kind == "result":
            then = self.pending.pop(message["id"], None)
            if then:
                then(message["value"])
        elif kind == "page-ready" and self.step == "page":
            self.step = "bridge"
            self.start("vellix://test/bridge.swf", {"movie": "VellixDemo.swf"}, self.args.book_background)

    # ------------------------------------------------------------ steps
    def on_fscommand(self, command, args):
        if self.step == "bridge" and command == "vellix_bridge_ready":
            self.check(args == "1", "the bridge says it is ready, contract version 1")
            self.step = "cover"
        elif self.step == "cover" and args == "function_InputParameter":
            self.check(command == "", "the demo cover, in _level0, asks for the command-line argument")
            self.step = "set"
            # A bare name and a _root. name: the bridge makes both absolute.
            self.call("SetVariable", "firstIndex", "7", then=lambda _: self.call(
                "SetVariable", "_root.변수명", "명령줄 인수 7", then=lambda _: self.later(300, self.read_back)))
        elif self.step == "memo-save":
            prefix, suffix = "function_saveTextFile@@@&memo=", "&@@@demo_memo.txt"
            ok = command == "" and args.startswith(prefix) and args.endswith(suffix)
            record = args[len("function_saveTextFile@@@"):-len("@@@demo_memo.txt")] if ok else ""
            self.check(ok and urllib.parse.unquote(record[len("&memo="):-1]) == MEMO,
                       "the memo page's button sends the typed memo as an escaped record (%r)" % args)
            # As the viewer does: the memo text becomes the file's content.
            with open(os.path.join(self.memos.name, "demo_memo.txt"), "w", encoding="ascii") as f:
                f.write(record)
            self.step = "memo-folder"
            self.call("SetVariable", "_level0.saveSuccess", "success",
                      then=lambda _: self.later(300, lambda: self.click(240, 288)))
        elif self.step == "memo-folder":
            self.check(args == "function_loadTextFile", "the memo page asks for the memo folder (%r)" % args)
            self.step = "memo-load"
            self.call("SetVariable", "_level0.loadTxt", "vellix://test/memos/", then=lambda _: self.call(
                "SetVariable", "_level0.loadSuccess", "success", then=lambda _: self.later(300, self.load_memo)))
        elif self.step == "as3":
            self.check((command, args) == ("as3", "firstIndex=5"),
                       "the ActionScript 3 movie reads its FlashVars and sends them (%r %r)" % (command, args))
            self.screenshot("ruffle-as3.png", self.finish)

    def read_back(self):
        def got_index(value):
            self.check(value == "7", "GetVariable gives back firstIndex as set (%r)" % value)
            self.call("GetVariable", "_level0.변수명", then=got_korean)

        def got_korean(value):
            self.check(value == "명령줄 인수 7", "Korean variable names and values pass the bridge (%r)" % value)
            # The movie shows the values from its next frame on.
            self.later(1500, lambda: self.screenshot("ruffle-cover.png", self.open_memo_page))

        self.call("GetVariable", "_level0.firstIndex", then=got_index)

    def open_memo_page(self):
        # Cover "목차 보기", then the contents' second button.
        self.click(400, 424)
        self.later(500, lambda: self.click(180, 214))
        self.later(1000, lambda: self.call("SetVariable", "_level0.memoInput", MEMO, then=self.save_memo))

    def save_memo(self, _):
        self.step = "memo-save"
        self.later(300, lambda: self.click(670, 184))

    def load_memo(self):
        self.click(240, 414)
        self.wait_for("_level0.memo", MEMO, "the memo loads back from the folder the host named",
                      lambda: self.screenshot("ruffle-memo.png", self.load_popup))

    def load_popup(self):
        self.step = "popup"
        self.call("LoadMovie", "VellixDemo_Page_Img/contents/popup.swf?BOOKLOAD_FIRSTPAGE=3", then=lambda _: None)
        self.wait_for("_level0.BOOKLOAD_FIRSTPAGE", "3", "LoadMovie replaces _level0 and passes the query's variables",
                      lambda: self.screenshot("ruffle-popup.png", self.start_as3))

    def wait_for(self, name, expected, what, then, tries=40):
        """Asks the bridge for `name` until it is `expected`, then checks it."""
        def got(value):
            if value == expected or tries == 0:
                self.check(value == expected, "%s (%r)" % (what, value))
                self.later(1000, then)  # a frame to draw what arrived
            else:
                self.later(250, lambda: self.wait_for(name, expected, what, then, tries - 1))

        self.call("GetVariable", name, then=got)

    def start_as3(self):
        self.step = "as3"
        self.start("vellix://test/as3.swf", {"firstIndex": "5"}, "#FFFFFF")


def main():
    parser = argparse.ArgumentParser()
    for name in ("ruffle", "bridge", "book", "as3", "font", "out"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--book-background", default="#FFFFFF")
    args = parser.parse_args()
    for path in (args.ruffle, args.bridge, args.book, args.as3, args.font):
        if not os.path.exists(path):
            print("missing:", path)
            return 2
    run = Run(args)
    Gtk.main()
    return 0 if not run.failures and run.passed else 1


if __name__ == "__main__":
    sys.exit(main())
