#pragma once
// Every file of a book is found from the path of the running executable:
// D:\Books\Sample.exe plays D:\Books\Sample.swf, reads
// D:\Books\Sample_Page_Img\Page_Var.txt and takes its icon from Sample.ico.
// The paths are derived once per process and handed to what needs them.
#include "text/Text.h"

namespace vellix {

struct BookPaths {
  Text executable;     // D:\Books\Sample.exe
  Text folder;         // D:\Books\  (with its trailing separator)
  Text executableDir;  // D:\Books   (without it; a root such as C:\ keeps it)
  Text baseName;       // Sample     (file name without its last extension)
  Text settings;       // D:\Books\Sample_Page_Img\Page_Var.txt
  Text movie;          // D:\Books\Sample.swf
  Text icon;           // D:\Books\Sample.ico
  Text contents;       // D:\Books\Sample_Page_Img\contents\  (popup movies)
};

// A Windows path ("\" and the drive's ":" separate), or a POSIX path starting
// with "/" on the Linux viewer, where "/" alone separates. The names below the
// book folder are composed the same way on both ("_Page_Img\Page_Var.txt");
// the Linux file ports read "\" as "/".
BookPaths MakeBookPaths(const Text& executablePath);

}  // namespace vellix
