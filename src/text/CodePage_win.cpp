#include <windows.h>

#include "text/CodePage.h"

namespace vellix {

std::string ToAnsi(const Text& text) {
  if (text.empty()) return std::string();
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

Text FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return Text();
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return Text();
  Text out(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                      reinterpret_cast<wchar_t*>(&out[0]), n);
  return out;
}

}  // namespace vellix
