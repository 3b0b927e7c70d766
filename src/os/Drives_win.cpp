#include "os/Ports_win.h"

#include <windows.h>

namespace vellix {

int Win32Drives::Type(const std::string& root) { return static_cast<int>(GetDriveTypeA(root.c_str())); }

}  // namespace vellix
