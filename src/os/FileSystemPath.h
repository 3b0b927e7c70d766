#pragma once
// The name under which the C runtime opens the file a program path names.
// On Windows that is the path in the ANSI code page. On Linux, books written
// on Windows name their files with backslashes and in any letter case: "\"
// becomes "/", each component that does not exist as spelled is found
// without regard to letter case, and the result is UTF-8.
#include <string>

#include "text/Text.h"

namespace vellix {

std::string FileSystemPath(const Text& path);

}  // namespace vellix
