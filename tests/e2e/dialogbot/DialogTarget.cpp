// A stand-in for a program with dialogs, to exercise dialogbot, and a probe of
// the prefix's drives. Runs its steps in order and logs what each got:
//
//   dialogtarget.exe <log> <step>...
//
//   save <filter> <name>     GetSaveFileNameW owned by a window of ours, the
//                            filter written "text|pattern|text|pattern"
//                            -> save ok <path> <filter index> | save cancel <error>
//   message <caption> <text> MessageBoxW with one OK button -> message <result>
//   drives                   -> drive <letter> <GetDriveTypeA> for C to Z
//   write <path> <text>      creates the parent folder (one level) and writes
//                            the text as UTF-8 -> write ok | write fail <error>
//   acp                      -> acp <GetACP()>
//
// Log lines: UTF-8, tab-separated, escaped as in common/LogLine.h. A last line
// "end <exit code>"; exit code 1 for bad arguments.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/LogLine.h"

namespace {

using vellix_e2e::EscapeWide;

std::wstring logPath;

void Log(const std::vector<std::string>& values) {
  std::string text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) text += '\t';
    text += values[i];
  }
  text += '\n';
  HANDLE f = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

std::string Hex(DWORD value) {
  char buffer[16];
  wsprintfA(buffer, "0x%08lx", value);
  return buffer;
}

// The dialogs' owner, as a program's main window would be.
HWND owner = nullptr;

HWND Owner() {
  if (owner) return owner;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"VellixDialogTarget";
  RegisterClassW(&wc);
  owner = CreateWindowExW(0, wc.lpszClassName, L"dialogtarget", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  return owner;
}

// "text|pattern|..." becomes the double-NUL list that the dialog expects.
std::wstring FilterList(const std::wstring& filter) {
  std::wstring list = filter;
  for (wchar_t& c : list)
    if (c == L'|') c = L'\0';
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

void Save(const std::wstring& filter, const std::wstring& name) {
  std::wstring list = FilterList(filter);
  std::vector<wchar_t> file(32768, L'\0');
  name.copy(file.data(), std::min<size_t>(name.size(), file.size() - 1));
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Owner();
  ofn.lpstrFilter = list.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (GetSaveFileNameW(&ofn)) {
    Log({"save", "ok", EscapeWide(file.data(), lstrlenW(file.data())), std::to_string(ofn.nFilterIndex)});
  } else {
    Log({"save", "cancel", Hex(CommDlgExtendedError())});
  }
}

void Message(const std::wstring& caption, const std::wstring& text) {
  int result = MessageBoxW(Owner(), text.c_str(), caption.c_str(), MB_OK);
  Log({"message", std::to_string(result)});
}

void Drives() {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    char root[] = {letter, ':', '\\', '\0'};
    Log({"drive", std::string(1, letter), std::to_string(GetDriveTypeA(root))});
  }
}

void Write(const std::wstring& path, const std::wstring& text) {
  size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    Log({"write", "fail", Hex(GetLastError())});
    return;
  }
  std::string bytes = vellix_e2e::Utf8(text);
  DWORD written = 0;
  BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  DWORD error = GetLastError();
  CloseHandle(f);
  if (ok && written == bytes.size()) {
    Log({"write", "ok"});
  } else {
    Log({"write", "fail", Hex(error)});
  }
}

int RunSteps(int argc, wchar_t** argv) {
  for (int i = 2; i < argc; ++i) {
    std::wstring step = argv[i];
    int left = argc - i - 1;
    if (step == L"save" && left >= 2) {
      Save(argv[i + 1], argv[i + 2]);
      i += 2;
    } else if (step == L"message" && left >= 2) {
      Message(argv[i + 1], argv[i + 2]);
      i += 2;
    } else if (step == L"write" && left >= 2) {
      Write(argv[i + 1], argv[i + 2]);
      i += 2;
    } else if (step == L"drives") {
      Drives();
    } else if (step == L"acp") {
      Log({"acp", std::to_string(GetACP())});
    } else {
      Log({"bad-step", EscapeWide(step)});
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) {
    fputs("usage: dialogtarget <log> <step>...\n", stderr);
    if (argv) LocalFree(argv);
    return 1;
  }
  logPath = argv[1];
  int code = RunSteps(argc, argv);
  Log({"end", std::to_string(code)});
  LocalFree(argv);
  if (owner) DestroyWindow(owner);
  return code;
}
