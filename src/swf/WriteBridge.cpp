// write-bridge <out.swf>: writes the bridge movie (BridgeMovie.h).
#include <cstdio>
#include <string>

#include "swf/BridgeMovie.h"
#include "swf/SaveFile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write-bridge <out.swf>\n");
    return 2;
  }
  std::string error;
  if (!vellix::swf::SaveFile(argv[1], vellix::swf::BridgeMovie(), error)) {
    std::fprintf(stderr, "write-bridge: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
