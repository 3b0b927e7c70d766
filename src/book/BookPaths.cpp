#include "book/BookPaths.h"

namespace vellix {

namespace {

bool IsPosixPath(const Text& path) { return !path.empty() && path.front() == u'/'; }

// The position of the separator that ends the folder part; npos for none.
std::size_t LastSeparator(const Text& path) {
  return IsPosixPath(path) ? path.rfind(u'/') : path.find_last_of(u"\\:");
}

Text WithoutExtension(const Text& name) {
  std::size_t dot = name.rfind(u'.');
  return dot == Text::npos ? name : name.substr(0, dot);
}

}  // namespace

BookPaths MakeBookPaths(const Text& executablePath) {
  if (!IsPosixPath(executablePath)) {
    BookPaths p;
    p.executable = executablePath;
    p.folder = ExtractFilePath(executablePath);
    p.executableDir = ExtractFileDir(executablePath);
    p.baseName = ChangeFileExt(ExtractFileName(executablePath), Text());
    p.settings = p.folder + p.baseName + u"_Page_Img\\Page_Var.txt";
    p.movie = ChangeFileExt(executablePath, u".swf");
    p.icon = ChangeFileExt(executablePath, u".ico");
    p.contents = p.folder + p.baseName + u"_Page_Img\\contents\\";
    return p;
  }
  BookPaths p;
  p.executable = executablePath;
  const std::size_t cut = LastSeparator(executablePath);
  p.folder = executablePath.substr(0, cut + 1);
  p.executableDir = cut == 0 ? Text(u"/") : executablePath.substr(0, cut);
  const Text name = executablePath.substr(cut + 1);
  p.baseName = WithoutExtension(name);
  p.settings = p.folder + p.baseName + u"_Page_Img\\Page_Var.txt";
  p.movie = p.folder + p.baseName + u".swf";
  p.icon = p.folder + p.baseName + u".ico";
  p.contents = p.folder + p.baseName + u"_Page_Img\\contents\\";
  return p;
}

}  // namespace vellix
