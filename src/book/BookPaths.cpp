#include "book/BookPaths.h"

namespace vellix {

BookPaths MakeBookPaths(const Text& executablePath) {
  BookPaths p;
  p.executable = executablePath;
  p.folder = ExtractFilePath(executablePath);
  p.baseName = ChangeFileExt(ExtractFileName(executablePath), Text());
  p.settings = p.folder + p.baseName + u"_Page_Img\\Page_Var.txt";
  p.movie = ChangeFileExt(executablePath, u".swf");
  p.icon = ChangeFileExt(executablePath, u".ico");
  p.contents = p.folder + p.baseName + u"_Page_Img\\contents\\";
  return p;
}

}  // namespace vellix
