#pragma once
// Every file of a book is found from the path of the running executable:
// D:\Books\Sample.exe plays D:\Books\Sample.swf, reads
// D:\Books\Sample_Page_Img\Page_Var.txt and takes its icon from Sample.ico.
#include "text/Text.h"

namespace vellix {

struct BookPaths {
  Text executable;  // D:\Books\Sample.exe
  Text folder;      // D:\Books\  (with its trailing backslash)
  Text baseName;    // Sample     (file name without its last extension)
  Text settings;    // D:\Books\Sample_Page_Img\Page_Var.txt
  Text movie;       // D:\Books\Sample.swf
  Text icon;        // D:\Books\Sample.ico
  Text contents;    // D:\Books\Sample_Page_Img\contents\  (popup movies)
};

BookPaths MakeBookPaths(const Text& executablePath);

}  // namespace vellix
