#pragma once
// A popup request of the book's movie: PopUpForm@@@<movie file>@@@<first page>,
// the movie file relative to the book's contents folder.
#include <optional>

#include "book/BookPaths.h"
#include "text/Text.h"

namespace vellix {

struct PopupRequest {
  Text moviePath;  // <book folder><Book>_Page_Img\contents\<movie file>
  Text firstPage;  // for the movie variable _root.BOOKLOAD_FIRSTPAGE
};

// None unless the text before the first "@@@" is exactly "PopUpForm". The rest
// is split in the ANSI code page, so characters it cannot hold are lost; a
// request without a second "@@@" has an empty movie file and takes the first
// page from the third byte of the rest on. Whether the movie exists is not
// looked at.
std::optional<PopupRequest> ParsePopupRequest(const Text& normalisedArgs, const BookPaths& book);

}  // namespace vellix
