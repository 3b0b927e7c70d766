#pragma once
// vellix-book: packs a book's executable (the viewer with the Flash runtime's
// installer appended) and checks a book folder the way the viewer will see it.
#include <iosfwd>
#include <string>
#include <vector>

namespace vellix {

// Exit statuses of the tool.
enum BookToolStatus {
  kBookOk = 0,        // done; the book opens as its author intends
  kBookProblems = 1,  // check: the book will not open as intended
  kBookFailed = 2,    // wrong usage, or a file could not be read or written
};

// Runs the tool on its arguments (without the program name). Never throws.
int RunBookTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vellix
