// Feeds arbitrary bytes to the settings reader and the window decision.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/WindowSettings.h"
#include "settings/VellixTxtParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vellix::VellixTxtParser parser;
  parser.ParseBytes(std::string(reinterpret_cast<const char*>(data), size));
  for (const auto& kv : parser.Values()) {
    (void)vellix::StrToInt(kv.second);
  }
  vellix::DecideWindowSettings(0, parser, u"Book", {1024, 768}, {816, 638});
  return 0;
}
