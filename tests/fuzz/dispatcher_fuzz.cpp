// The book window's command dispatcher over recording fakes, with arbitrary
// texts. Every request's journal is checked against what the request's texts
// say should happen, worked out here from the routing rules:
// - command "function": one popup request with the normalised args ("/"
//   turned into "\"), and nothing else;
// - args "function_full" / "function_close": that window entry alone;
// - args "function_forward": the window brought to the front, no shell call;
// - any other args: the shell opens the whole normalised args, once;
// - then the text before the first "@@@" selects at most one named command,
//   recognised in the journal by what it leaves there.
//
// Input: byte 0 sets the scene (bit 0: texts are UTF-16LE rather than UTF-8;
// bit 1: the save dialogs are cancelled; bit 2: no removable drive; bit 3:
// writes fail; bit 4: copies fail; bit 5: the executable sits at a drive
// root). The rest is command and args, split at the first zero byte (UTF-8)
// or zero code unit (UTF-16LE). Each input is dispatched as (command, args),
// as (args, command) and as ("function", args).
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzOracle.h"
#include "commands/Dispatcher.h"
#include "commands/Fakes.h"
#include "text/CodePage.h"

namespace {

using vellix::Text;
using vellix::testing::FakeWorld;
using vellix::testing::ShowBytes;
using vellix::testing::ShowText;

Text DecodeUtf16(const std::uint8_t* data, std::size_t size) {
  Text text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  return text;
}

// The named commands, in the order the dispatcher tries them.
enum Named { kImgCopy, kDocCopy, kCopyFile, kSaveText, kLoadText, kSearchList, kInputParameter, kTxtListSave, kShow,
             kNone };
const char16_t* const kNames[] = {
    u"function_imgcopy",     u"function_doccopy",      u"function_copyfile",
    u"function_saveTextFile", u"function_loadTextFile", u"function_searchList",
    u"function_InputParameter", u"function_TxtListSaveToFile", u"function_show",
};

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

// The named commands that can have written a journal entry (a bit each).
unsigned Writers(const std::string& entry) {
  auto bit = [](Named n) { return 1u << n; };
  if (StartsWith(entry, "dialog[img].")) return bit(kImgCopy);
  if (StartsWith(entry, "dialog[file].")) return bit(kDocCopy) | bit(kCopyFile);
  if (StartsWith(entry, "files.copy ")) return bit(kImgCopy) | bit(kDocCopy) | bit(kCopyFile);
  if (StartsWith(entry, "message ")) return bit(kCopyFile);
  if (StartsWith(entry, "files.mkdir ")) return bit(kSaveText);
  if (StartsWith(entry, "files.write ") || StartsWith(entry, "files.remove ")) return bit(kSaveText) | bit(kTxtListSave);
  if (StartsWith(entry, "setvar saveSuccess=")) return bit(kSaveText);
  if (StartsWith(entry, "setvar loadTxt=") || StartsWith(entry, "setvar loadSuccess=")) return bit(kLoadText);
  if (StartsWith(entry, "search ")) return bit(kSearchList) | bit(kTxtListSave);
  if (StartsWith(entry, "setvar resultList=")) return bit(kSearchList);
  if (StartsWith(entry, "setvar 변수명=")) return bit(kInputParameter);
  if (StartsWith(entry, "shell.open owner=none ")) return bit(kShow);
  return 0;
}

std::size_t Count(const vellix::testing::Journal& entries, const char* prefix) {
  std::size_t n = 0;
  for (const std::string& e : entries) n += StartsWith(e, prefix);
  return n;
}

std::size_t Find(const Text& s, const Text& sub) {
  for (std::size_t i = 0; i + sub.size() <= s.size(); ++i)
    if (s.compare(i, sub.size(), sub) == 0) return i;
  return Text::npos;
}

// The entries of the named command `named` when the rest of the journal holds
// them; empty when they fit, else what is wrong.
std::string CheckNamed(Named named, const Text& tail, const vellix::testing::Journal& rest, const Text& argument1) {
  for (const std::string& e : rest) {
    unsigned writers = Writers(e);
    if (named == kNone) return "no named command should run, but the journal holds \"" + e + "\"";
    if (!(writers & (1u << named))) return "\"" + e + "\" is not an entry of " + vellix::ToUtf8(Text(kNames[named]));
  }
  const std::size_t second = Find(tail, u"@@@");
  auto once = [&rest](const char* prefix) {
    return Count(rest, prefix) == 1 ? std::string() : std::string("expected one \"") + prefix + "\" entry";
  };
  auto nothing = [&rest] { return rest.empty() ? std::string() : std::string("a tail without a second field does nothing"); };
  switch (named) {
    case kImgCopy:
      return once("dialog[img].execute");
    case kDocCopy:
      return once("dialog[file].execute");
    case kCopyFile:
      return second == Text::npos ? nothing() : once("dialog[file].execute");
    case kSaveText:
      return once("setvar saveSuccess=");
    case kLoadText:
      return once("setvar loadSuccess=");
    case kSearchList:
      return once("setvar resultList=");
    case kInputParameter:
      return rest == vellix::testing::Journal{"setvar 변수명=" + ShowText(argument1)}
                 ? std::string()
                 : std::string("expected only the command-line argument handed to the movie");
    case kTxtListSave:
      return second == Text::npos ? nothing() : once("search ");
    case kShow: {
      if (second == Text::npos) return nothing();
      std::string params = " params=" + ShowBytes("\"" + vellix::ToAnsi(tail.substr(second + 3)) + "\"") + " dir= show=1";
      if (rest.size() != 1 || rest[0].size() < params.size() ||
          rest[0].compare(rest[0].size() - params.size(), params.size(), params) != 0)
        return "expected one program start ending in \"" + params + "\"";
      return std::string();
    }
    case kNone:
      break;
  }
  return std::string();
}

// What the journal of one request must hold; empty when it does.
std::string Check(FakeWorld& world, const Text& command, const Text& args) {
  Text normalised = args;
  for (char16_t& c : normalised)
    if (c == u'/') c = u'\\';
  const vellix::testing::Journal& journal = world.journal;

  if (command == u"function") {
    if (journal != vellix::testing::Journal{"popup " + ShowText(normalised)})
      return "a popup request leaves one popup entry with the normalised args and nothing else";
    return world.drives.asked.empty() ? std::string() : "a popup request asked for drives";
  }
  if (normalised == u"function_full" || normalised == u"function_close") {
    std::string entry = normalised == u"function_full" ? "window.maximize" : "window.close";
    if (journal != vellix::testing::Journal{entry}) return "expected \"" + entry + "\" and nothing else";
    return world.drives.asked.empty() ? std::string() : "a window command asked for drives";
  }

  std::string first = normalised == u"function_forward"
                          ? "window.bring-to-front"
                          : "shell.open owner=book file=" + ShowBytes(vellix::ToAnsi(normalised)) + " params= dir= show=1";
  if (journal.empty() || journal[0] != first) return "expected \"" + first + "\" first";
  const std::size_t shellCalls = Count(journal, "shell.open owner=book ");
  if (normalised == u"function_forward" && shellCalls != 0)
    return "function_forward brings the window to the front and calls no shell";
  if (normalised != u"function_forward" && shellCalls != 1) return "the shell is called once with the whole args";

  const std::size_t at = Find(normalised, u"@@@");
  const Text head = normalised.substr(0, at);
  const Text tail = at == Text::npos ? Text() : normalised.substr(at + 3);
  Named named = kNone;
  for (int n = 0; n < kNone; ++n)
    if (head == kNames[n]) named = static_cast<Named>(n);
  std::string failure = CheckNamed(named, tail, vellix::testing::Journal(journal.begin() + 1, journal.end()),
                                   world.environment.argument1);
  if (failure.empty() && !world.drives.asked.empty() && named != kSaveText && named != kLoadText)
    failure = "only the memo commands look for a removable drive";
  return failure;
}

void Dispatch(FakeWorld& world, const vellix::CommandPorts& ports, const Text& command, const Text& args) {
  world.journal.clear();
  world.drives.asked.clear();
  vellix::FlashPlayerFSCommand(ports, command, args);
  std::string failure = Check(world, command, args);
  if (failure.empty()) return;
  std::string journal;
  for (const std::string& e : world.journal) journal += "  " + e + "\n";
  vellix::fuzz::Fail("dispatcher", failure + "\ncommand " + vellix::fuzz::ShowUnits(command) + "\nargs    " +
                                       vellix::fuzz::ShowUnits(args) + "\njournal:\n" + journal);
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

  FakeWorld world;
  world.imgSaveDialog.confirm = world.fileSaveDialog.confirm = !(scene & 2);
  if (scene & 4) world.drives.types.clear();
  if (scene & 16) world.files.copySucceeds = false;
  if (scene & 32) world.executable = u"E:\\Book.exe";
  world.environment.argument1 = command;
  world.files.writesFail = (scene & 8) != 0;
  world.search.entries[u"D:\\Books\\" + args + u"\\*.txt"] = {args, command, u"TxtList.txt", u".txt", u"a"};

  const vellix::CommandPorts ports = world.Ports();
  Dispatch(world, ports, command, args);
  Dispatch(world, ports, args, command);
  Dispatch(world, ports, u"function", args);
  return 0;
}
