// Popup requests and the popup's own commands with arbitrary texts, UTF-16
// oddities included (lone surrogates, zero characters). The request parser is
// checked against the request's rules worked out here on the 8-bit text:
// - the text before the first "@@@", in the ANSI code page, must be exactly
//   "PopUpForm"; the rest after that "@@@" goes to the ANSI code page too;
// - the movie file is the rest up to its first "@@@", the first page all of
//   the rest after it;
// - without a second "@@@" the movie file is empty and the first page is the
//   rest from its third byte on;
// - the movie's path is the book's contents folder followed by the movie file.
// Nothing may throw. A popup command "function_close" closes the popup and
// touches nothing; any other args go to the shell unchanged, without owner.
//
// Input: byte 0 sets the scene (bit 0: the text is UTF-16LE code units rather
// than UTF-8; bits 1-2: which book the viewer plays). The rest is the text.
// Each text is tried as it is and behind "PopUpForm@@@".
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzOracle.h"
#include "commands/Fakes.h"
#include "popup/ChildCommands.h"
#include "popup/PopupRequest.h"
#include "text/CodePage.h"

namespace {

using vellix::Text;
using vellix::fuzz::ShowUnits;

// Books and their contents folders, spelled out.
const struct {
  const char16_t* executable;
  const char16_t* contents;
} kBooks[] = {
    {u"D:\\Books\\Sample.exe", u"D:\\Books\\Sample_Page_Img\\contents\\"},
    {u"E:\\Book.exe", u"E:\\Book_Page_Img\\contents\\"},
    {u"C:\\My Books\\Sample.vol.exe", u"C:\\My Books\\Sample.vol_Page_Img\\contents\\"},
    {u"\\\\server\\share\\\uCC45.exe", u"\\\\server\\share\\\uCC45_Page_Img\\contents\\"},
};

// 1-based position of the first "@@@" in `s`, 0 when there is none.
template <typename String>
std::size_t SeparatorAt(const String& s) {
  for (std::size_t i = 0; i + 2 < s.size(); ++i)
    if (s[i] == '@' && s[i + 1] == '@' && s[i + 2] == '@') return i + 1;
  return 0;
}

struct Expected {
  Text moviePath;
  Text firstPage;
};

std::optional<Expected> ByTheRules(const Text& args, const Text& contents) {
  const std::size_t a = SeparatorAt(args);
  if (a == 0) return std::nullopt;
  if (vellix::ToAnsi(args.substr(0, a - 1)) != "PopUpForm") return std::nullopt;
  const std::string rest = vellix::ToAnsi(args.substr(a + 2));
  const std::size_t p = SeparatorAt(rest);
  const std::string movieFile = p > 1 ? rest.substr(0, p - 1) : std::string();
  // The first page runs from byte p + 3 (1-based) to the end of the rest.
  const std::size_t from = p + 3;
  const std::string firstPage = from <= rest.size() ? rest.substr(from - 1) : std::string();
  return Expected{contents + vellix::FromAnsi(movieFile), vellix::FromAnsi(firstPage)};
}

std::string Show(const std::optional<Expected>& r) {
  if (!r) return "no popup";
  return "movie " + ShowUnits(r->moviePath) + ", first page " + ShowUnits(r->firstPage);
}

void CheckRequest(const Text& args, unsigned book) {
  std::optional<vellix::PopupRequest> got;
  try {
    got = vellix::ParsePopupRequest(args, vellix::MakeBookPaths(kBooks[book].executable));
  } catch (...) {
    vellix::fuzz::Fail("popup", "the request parser threw on " + ShowUnits(args));
  }
  const std::optional<Expected> expected = ByTheRules(args, kBooks[book].contents);
  const bool same = got.has_value() == expected.has_value() &&
                    (!got || (got->moviePath == expected->moviePath && got->firstPage == expected->firstPage));
  if (!same) {
    std::optional<Expected> shown;
    if (got) shown = Expected{got->moviePath, got->firstPage};
    vellix::fuzz::Fail("popup", "request " + ShowUnits(args) + " in book " + ShowUnits(kBooks[book].executable) +
                                    "\nthe parser gives " + Show(shown) + "\nthe rules give  " + Show(expected));
  }
}

void CheckChildCommand(const Text& args) {
  vellix::testing::Journal journal;
  vellix::testing::FakeShell shell(journal);
  vellix::ChildCommandResult result;
  try {
    result = vellix::RunChildCommand(args, shell);
  } catch (...) {
    vellix::fuzz::Fail("popup", "the popup command threw on " + ShowUnits(args));
  }
  const bool close = args == u"function_close";
  const vellix::testing::Journal expected =
      close ? vellix::testing::Journal{}
            : vellix::testing::Journal{"shell.open owner=none file=" + vellix::testing::ShowBytes(vellix::ToAnsi(args)) +
                                       " params= dir= show=1"};
  if ((result == vellix::ChildCommandResult::CloseWindow) != close || journal != expected) {
    std::string entries;
    for (const std::string& e : journal) entries += "  " + e + "\n";
    vellix::fuzz::Fail("popup", "popup command " + ShowUnits(args) + ": " +
                                    (result == vellix::ChildCommandResult::CloseWindow ? "closes" : "stays open") +
                                    ", journal:\n" + entries);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t scene = data[0];
  ++data;
  --size;
  Text text;
  if (scene & 1) {
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  } else {
    text = vellix::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  }
  const unsigned book = (scene >> 1) & 3;

  CheckRequest(text, book);
  CheckRequest(u"PopUpForm@@@" + text, book);
  CheckChildCommand(text);
  return 0;
}
