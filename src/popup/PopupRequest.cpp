#include "popup/PopupRequest.h"

#include <string>

#include "text/CodePage.h"

namespace vellix {

std::optional<PopupRequest> ParsePopupRequest(const Text& normalisedArgs, const BookPaths& book) {
  Split kind = SplitAtFirst(normalisedArgs, u"@@@");
  if (!kind.found || ToAnsi(kind.head) != "PopUpForm") return std::nullopt;

  // "@@@" is split on the 8-bit text; 0x40 is never the second byte of a
  // double-byte character in code page 949, so no character is cut there.
  std::string rest = ToAnsi(kind.tail);
  std::string movieFile;
  std::string firstPage;
  std::size_t sep = rest.find("@@@");
  if (sep != std::string::npos) {
    movieFile = rest.substr(0, sep);
    firstPage = rest.substr(sep + 3);
  } else if (rest.size() > 2) {
    firstPage = rest.substr(2);
  }
  return PopupRequest{book.contents + FromAnsi(movieFile), FromAnsi(firstPage)};
}

}  // namespace vellix
