#include "os/Ports_linux.h"

namespace vellix {

LinuxEnvironment LinuxEnvironment::FromCommandLine(int argc, const char* const* argv) {
  // argv[0] is the viewer, argv[1] the book; the book's own argument 1 follows.
  if (argc < 3 || !argv || !argv[2]) return LinuxEnvironment();
  return LinuxEnvironment(FromUtf8(argv[2]));
}

}  // namespace vellix
