#include "os/Ports_win.h"

#include <windows.h>

namespace vellix {

std::vector<Text> Win32FileSearch::Find(const Text& pattern) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
  std::vector<Text> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    Text name(reinterpret_cast<const char16_t*>(entry.cFileName));
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

}  // namespace vellix
