// Answers the modal dialogs of another program, so that the program under test
// runs unchanged: waits for each next top-level dialog (class "#32770") of
// another process, logs what it shows and answers it as told.
//
//   dialogbot.exe <log> [action...] [--actions <file>] [--count <n>]
//                 [--timeout <ms>] [--verbose]
//
// Actions, one per dialog in order:
//   save <windows path>   types the path into the file-name box, presses Save
//   ok                    presses the OK (IDOK) button
//   cancel                presses Cancel (IDCANCEL)
//   press <id>            presses the button with that control id
// An actions file holds one action a line (UTF-8, optional BOM; "save" takes
// the rest of its line as the path). --count handles that many dialogs; when
// it is larger than the list, the last action repeats. Without it every action
// is used once. --timeout is how long to wait for each dialog (default 10000).
//
// Log: UTF-8, one line per field, tabs between values, escaped as in
// common/LogLine.h:
//   <n> dialog <save|message> <pid>       n counts dialogs from 1
//   <n> caption <text>
//   <n> text <text>                       message boxes: the message
//   <n> button <id> <text>                each visible button, in window order
//   <n> filter <text>                     each entry of the "save as type" box
//   <n> filter-selected <index> <text>    the selected entry (index from 0)
//   <n> file-name <text>                  the preset name
//   <n> control <class> <id> <text>       every child (only with --verbose)
//   <n> action <name> [<argument>]
//   <n> closed | still-open               after the answer
//   <n> error <what>                      the action does not fit the dialog
//   <n> timeout                           no dialog came
//   0 end <dialogs handled> <exit code>
// Exit codes: 0 every dialog answered and closed, 1 bad arguments, 2 timeout,
// 3 an action that did not fit or a dialog that stayed open.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "common/LogLine.h"

namespace {

using vellix_e2e::EscapeWide;

// Control ids of the explorer-style file dialog.
constexpr int kFileTypeCombo = 0x470;   // cmb1
constexpr int kFileNameCombo = 0x47c;   // cmb13
constexpr int kFileNameEdit = 0x480;    // edt1
constexpr int kMessageText = 0xffff;    // the message box's static text

constexpr UINT kSendTimeoutMs = 3000;

struct Action {
  std::wstring name;
  std::wstring argument;
};

struct Options {
  std::wstring logPath;
  std::vector<Action> actions;
  int count = -1;
  DWORD timeoutMs = 10000;
  bool verbose = false;
};

class Log {
 public:
  explicit Log(std::wstring path) : path_(std::move(path)) {}

  void line(int dialog, const std::vector<std::string>& values) {
    std::string text = std::to_string(dialog);
    for (const std::string& v : values) {
      text += '\t';
      text += v;
    }
    text += '\n';
    // Append and close at once: a killed bot loses nothing already logged.
    for (int attempt = 0; attempt < 50; ++attempt) {
      HANDLE f = CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(f);
        return;
      }
      Sleep(10);
    }
  }

 private:
  std::wstring path_;
};

std::string Field(const std::wstring& text) { return EscapeWide(text); }

// ---- reading another process's windows -------------------------------------

std::wstring ClassOf(HWND w) {
  wchar_t name[256];
  int n = GetClassNameW(w, name, 256);
  return n > 0 ? std::wstring(name, n) : std::wstring();
}

// WM_GETTEXT with a timeout, so that a hung target cannot hang the bot.
std::wstring TextOf(HWND w) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return {};
  std::vector<wchar_t> buffer(length + 2, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
    return {};
  copied = std::min<DWORD_PTR>(copied, buffer.size() - 1);
  return std::wstring(buffer.data(), copied);
}

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return items;
  if (static_cast<LRESULT>(count) == CB_ERR) return items;
  for (DWORD_PTR i = 0; i < count && i < 1000; ++i) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) ||
        static_cast<LRESULT>(length) == CB_ERR) {
      items.emplace_back();
      continue;
    }
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied) ||
        static_cast<LRESULT>(copied) == CB_ERR) {
      items.emplace_back();
      continue;
    }
    copied = std::min<DWORD_PTR>(copied, buffer.size() - 1);
    items.emplace_back(buffer.data(), copied);
  }
  return items;
}

int ComboSelection(HWND combo) {
  DWORD_PTR index = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &index))
    return -1;
  return static_cast<int>(static_cast<LRESULT>(index));
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c && out.size() < 1000; c = GetWindow(c, GW_HWNDNEXT))
    out.push_back(c);
  return out;
}

HWND FileNameBox(HWND dialog) {
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  if (!box || !IsWindowVisible(box)) box = GetDlgItem(dialog, kFileNameEdit);
  return box;
}

bool IsSaveDialog(HWND dialog) {
  return GetDlgItem(dialog, kFileTypeCombo) || GetDlgItem(dialog, kFileNameCombo) ||
         GetDlgItem(dialog, kFileNameEdit);
}

// ---- finding dialogs ----------------------------------------------------------

struct Search {
  DWORD ownPid;
  const std::set<HWND>* handled;
  HWND found;
};

BOOL CALLBACK FindDialogProc(HWND w, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(w) || s->handled->count(w)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == s->ownPid || ClassOf(w) != L"#32770") return TRUE;
  s->found = w;
  return FALSE;
}

// A dialog that is visible, enabled and whose thread answers a message is
// sitting in its modal loop, past its initialisation.
bool IsReady(HWND w) {
  DWORD_PTR ignored = 0;
  return IsWindowVisible(w) && IsWindowEnabled(w) &&
         SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored);
}

HWND WaitForDialog(const std::set<HWND>& handled, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    Search s{GetCurrentProcessId(), &handled, nullptr};
    EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&s));
    if (s.found && IsReady(s.found)) return s.found;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(20);
  }
}

bool WaitUntilClosed(HWND w, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(w) && IsWindowVisible(w)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// ---- reporting and answering -------------------------------------------------

void Report(Log& log, int n, HWND dialog, bool verbose) {
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  bool save = IsSaveDialog(dialog);
  log.line(n, {"dialog", save ? "save" : "message", std::to_string(pid)});
  log.line(n, {"caption", Field(TextOf(dialog))});
  std::vector<HWND> children = Children(dialog);
  if (verbose) {
    for (HWND c : children)
      log.line(n, {"control", Field(ClassOf(c)), std::to_string(GetDlgCtrlID(c)), Field(TextOf(c))});
  }
  if (save) {
    HWND types = GetDlgItem(dialog, kFileTypeCombo);
    if (types) {
      std::vector<std::wstring> items = ComboItems(types);
      for (const std::wstring& item : items) log.line(n, {"filter", Field(item)});
      int selected = ComboSelection(types);
      std::wstring text = selected >= 0 && selected < static_cast<int>(items.size()) ? items[selected] : L"";
      log.line(n, {"filter-selected", std::to_string(selected), Field(text)});
    }
    HWND name = FileNameBox(dialog);
    if (name) log.line(n, {"file-name", Field(TextOf(name))});
    return;
  }
  HWND text = GetDlgItem(dialog, kMessageText);
  if (text) log.line(n, {"text", Field(TextOf(text))});
  for (HWND c : children) {
    if (IsWindowVisible(c) && _wcsicmp(ClassOf(c).c_str(), L"Button") == 0)
      log.line(n, {"button", std::to_string(GetDlgCtrlID(c)), Field(TextOf(c))});
  }
}

// Posts the button's click to the dialog: the dialog's answer may open the
// next dialog, and a sent message would wait for that one to close.
void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Returns an error text, empty when the answer went out.
std::string Answer(HWND dialog, const Action& a) {
  if (a.name == L"ok") {
    PressButton(dialog, IDOK);
  } else if (a.name == L"cancel") {
    PressButton(dialog, IDCANCEL);
  } else if (a.name == L"press") {
    PressButton(dialog, _wtoi(a.argument.c_str()));
  } else if (a.name == L"save") {
    HWND box = IsSaveDialog(dialog) ? FileNameBox(dialog) : nullptr;
    if (!box) return "no file-name box";
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.argument.c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored))
      return "file name not set";
    if (TextOf(box) != a.argument) return "file name not taken";
    PressButton(dialog, IDOK);
  } else {
    return "unknown action";
  }
  return {};
}

// ---- arguments ----------------------------------------------------------------

bool IsActionName(const std::wstring& s) {
  return s == L"save" || s == L"ok" || s == L"cancel" || s == L"press";
}

bool TakesArgument(const std::wstring& s) { return s == L"save" || s == L"press"; }

std::wstring TrimEnd(std::wstring s) {
  while (!s.empty() && (s.back() == L'\r' || s.back() == L' ' || s.back() == L'\t')) s.pop_back();
  return s;
}

bool ReadActionsFile(const std::wstring& path, std::vector<Action>& out) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0 && bytes.size() < (1u << 20))
    bytes.append(chunk, got);
  CloseHandle(f);
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::wstring text = vellix_e2e::Wide(bytes);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = TrimEnd(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == L'#') continue;
    size_t space = line.find(L' ');
    Action a{line.substr(0, space), space == std::wstring::npos ? L"" : line.substr(space + 1)};
    if (!IsActionName(a.name) || (TakesArgument(a.name) && a.argument.empty())) return false;
    out.push_back(a);
  }
  return true;
}

bool ParseNumber(const std::wstring& s, long long& out) {
  if (s.empty() || s.size() > 12) return false;
  for (wchar_t c : s)
    if (c < L'0' || c > L'9') return false;
  out = _wtoi64(s.c_str());
  return true;
}

bool ParseArguments(int argc, wchar_t** argv, Options& o) {
  if (argc < 2) return false;
  o.logPath = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::wstring a = argv[i];
    bool hasValue = i + 1 < argc;
    long long number = 0;
    if (a == L"--verbose") {
      o.verbose = true;
    } else if (a == L"--timeout" && hasValue && ParseNumber(argv[i + 1], number)) {
      o.timeoutMs = static_cast<DWORD>(number);
      ++i;
    } else if (a == L"--count" && hasValue && ParseNumber(argv[i + 1], number) && number > 0 &&
               number <= 10000) {
      o.count = static_cast<int>(number);
      ++i;
    } else if (a == L"--actions" && hasValue) {
      if (!ReadActionsFile(argv[++i], o.actions)) return false;
    } else if (IsActionName(a)) {
      Action action{a, L""};
      if (TakesArgument(a)) {
        if (!hasValue) return false;
        action.argument = argv[++i];
      }
      o.actions.push_back(action);
    } else {
      return false;
    }
  }
  if (o.actions.empty()) return false;
  if (o.count < 0) o.count = static_cast<int>(o.actions.size());
  return true;
}

int Run(const Options& o) {
  Log log(o.logPath);
  std::set<HWND> handled;
  int exitCode = 0;
  int n = 0;
  for (; n < o.count && exitCode == 0; ++n) {
    const Action& action = o.actions[std::min<size_t>(n, o.actions.size() - 1)];
    // Forget handles of closed dialogs: Windows may hand them out again.
    for (auto it = handled.begin(); it != handled.end();)
      it = IsWindow(*it) ? std::next(it) : handled.erase(it);
    HWND dialog = WaitForDialog(handled, o.timeoutMs);
    if (!dialog) {
      log.line(n + 1, {"timeout"});
      exitCode = 2;
      break;
    }
    Report(log, n + 1, dialog, o.verbose);
    std::vector<std::string> what{"action", Field(action.name)};
    if (TakesArgument(action.name)) what.push_back(Field(action.argument));
    log.line(n + 1, what);
    handled.insert(dialog);
    std::string error = Answer(dialog, action);
    if (!error.empty()) {
      log.line(n + 1, {"error", error});
      exitCode = 3;
      ++n;
      break;
    }
    if (WaitUntilClosed(dialog, o.timeoutMs)) {
      log.line(n + 1, {"closed"});
    } else {
      log.line(n + 1, {"still-open"});
      exitCode = 3;
    }
  }
  log.line(0, {"end", std::to_string(n), std::to_string(exitCode)});
  return exitCode;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options options;
  if (!argv || !ParseArguments(argc, argv, options)) {
    fputs("usage: dialogbot <log> <save PATH|ok|cancel|press ID>... [--actions FILE] "
          "[--count N] [--timeout MS] [--verbose]\n", stderr);
    if (argv) LocalFree(argv);
    return 1;
  }
  LocalFree(argv);
  return Run(options);
}
