#pragma once
// Which book `vellix-viewer <path>` opens. The path names a book's
// executable (<Book>.exe), its movie (<Book>.swf) or the folder that holds
// it; the book is then opened as if that executable were the one running.
#include <string>

namespace vellix {

struct BookLocation {
  std::string executable;  // the <Book>.exe path every book path derives from
  std::string error;       // why there is no book, for the reader
  bool found() const { return error.empty(); }
};

// A folder holds one book when it has exactly one movie (*.swf, any case),
// or exactly one movie with a <Book>_Page_Img folder or a <Book>.exe beside
// it. The path need not name an existing executable: a movie alone is a book.
BookLocation LocateBook(const std::string& path);

}  // namespace vellix
