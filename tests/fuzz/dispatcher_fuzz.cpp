// The book window's command dispatcher over recording fakes, and the popup's
// request parser and command handler, with arbitrary texts.
//
// Input: byte 0 sets the scene (bit 0: texts are UTF-16LE rather than UTF-8;
// bit 1: the save dialogs are cancelled; bit 2: no removable drive; bit 3:
// writes fail; bit 4: copies fail; bit 5: the executable sits at a drive
// root). The rest is command and args, split at the first zero byte (UTF-8)
// or zero code unit (UTF-16LE).
#include <cstdint>
#include <cstring>

#include "commands/Dispatcher.h"
#include "commands/Fakes.h"
#include "popup/ChildCommands.h"
#include "popup/PopupRequest.h"

namespace {

using vellix::Text;

Text DecodeUtf16(const std::uint8_t* data, std::size_t size) {
  Text text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t scene = data[0];
  ++data;
  --size;

  Text command, args;
  if (scene & 1) {
    std::size_t cut = size & ~std::size_t(1);
    for (std::size_t i = 0; i + 1 < size; i += 2)
      if (data[i] == 0 && data[i + 1] == 0) {
        cut = i;
        break;
      }
    command = DecodeUtf16(data, cut);
    args = cut + 2 <= size ? DecodeUtf16(data + cut + 2, size - cut - 2) : Text();
  } else {
    const void* zero = std::memchr(data, 0, size);
    std::size_t cut = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data) : size;
    command = vellix::FromUtf8(std::string(reinterpret_cast<const char*>(data), cut));
    if (cut < size) args = vellix::FromUtf8(std::string(reinterpret_cast<const char*>(data) + cut + 1, size - cut - 1));
  }

  vellix::testing::FakeWorld world;
  world.imgSaveDialog.confirm = world.fileSaveDialog.confirm = !(scene & 2);
  if (scene & 4) world.drives.types.clear();
  if (scene & 16) world.files.copySucceeds = false;
  if (scene & 32) world.executable = u"E:\\Book.exe";
  world.environment.argument1 = command;
  world.files.writesFail = (scene & 8) != 0;
  world.search.entries[u"D:\\Books\\" + args + u"\\*.txt"] = {args, command, u"TxtList.txt", u".txt", u"a"};

  const vellix::CommandPorts ports = world.Ports();
  vellix::FlashPlayerFSCommand(ports, command, args);
  vellix::FlashPlayerFSCommand(ports, args, command);

  vellix::ParsePopupRequest(args, vellix::MakeBookPaths(world.executable));
  vellix::RunChildCommand(args, world.shell);
  return 0;
}
