#include "os/FileSystemPath.h"

#include "text/CodePage.h"

namespace vellix {

std::string FileSystemPath(const Text& path) { return ToAnsi(path); }

}  // namespace vellix
