#include <windows.h>

#include <cstdio>

#include "ui/Exception.h"
#include "os/Handles_win.h"

namespace vellix::ui {

using win::FromWide;

namespace {
Text FormatSystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  Text text = (n && buffer) ? TrimLineBreaks(FromWide(buffer, n)) : Text();
  if (buffer) LocalFree(buffer);
  return text;
}
}  // namespace

Text SystemErrorMessage(long code) {
  DWORD c = static_cast<DWORD>(code);
  Text text = FormatSystemMessage(c);
  // Not every system knows Win32 errors in their HRESULT form.
  if (text.empty() && HRESULT_FACILITY(c) == FACILITY_WIN32) text = FormatSystemMessage(HRESULT_CODE(c));
  if (text.empty()) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(c));
    text = u"OLE error " + FromUtf8(hex);
  }
  return text;
}

void OleCheck(long hresult) {
  if (FAILED(hresult)) throw OleError(hresult, SystemErrorMessage(hresult));
}

}  // namespace vellix::ui
