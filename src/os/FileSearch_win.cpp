#include "os/Ports_win.h"

#include <windows.h>

#include "os/Handles_win.h"

namespace vellix {

std::vector<Text> Win32FileSearch::Find(const Text& pattern) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
  std::vector<Text> names;
  WIN32_FIND_DATAW entry;
  win::FindHandle search(FindFirstFileW(win::Wide(pattern), &entry));
  if (!search) return names;
  do {
    Text name(reinterpret_cast<const char16_t*>(entry.cFileName));
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(search.Get(), &entry));
  return names;
}

}  // namespace vellix
