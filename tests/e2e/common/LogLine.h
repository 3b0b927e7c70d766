// One line of an end-to-end log: tab-separated fields, UTF-8, appended and
// flushed at once so that a killed process loses nothing already logged.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vellix_e2e {

inline std::string Utf8(const wchar_t* text, int length) {
  if (!text || length <= 0) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
  return out;
}

inline std::string Utf8(const std::wstring& text) { return Utf8(text.c_str(), static_cast<int>(text.size())); }

inline std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

// Backslash becomes "\\", every control character (and DEL) "\xHH"; nothing
// else changes, so a field never holds a tab or a line break.
inline std::string Escape(const std::string& utf8) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(utf8.size());
  for (unsigned char c : utf8) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c == 0x7f) {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

inline std::string EscapeWide(const wchar_t* text, int length) { return Escape(Utf8(text, length)); }
inline std::string EscapeWide(const std::wstring& text) { return Escape(Utf8(text)); }

// Milliseconds since 1970-01-01 UTC.
inline std::int64_t UnixMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  std::uint64_t t = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<std::int64_t>(t / 10000 - 11644473600000ULL);
}

inline std::wstring EnvVar(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  if (n == 0 || n >= 32768) return {};
  return std::wstring(buffer, n);
}

// Appends the fields, already escaped, as one line to the file that the
// environment variable names. Without the variable nothing is written.
inline void AppendLine(const wchar_t* envVar, const std::vector<std::string>& fields) {
  std::wstring path = EnvVar(envVar);
  if (path.empty()) return;
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line += '\t';
    line += fields[i];
  }
  line += '\n';
  // Several processes may append to one log; retry briefly on a sharing clash.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(f);
      return;
    }
    Sleep(10);
  }
}

}  // namespace vellix_e2e
