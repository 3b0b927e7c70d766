// write-demo-book <inputs> <out-folder>: writes the demo book (DemoBook.h)
// into <out-folder>, with the files of <inputs> (demo/book).
#include <cstdio>
#include <string>

#include "DemoBook.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write-demo-book <inputs> <out-folder>\n");
    return 2;
  }
  std::string error;
  if (!vellix::demo::WriteDemoBook(argv[1], argv[2], error)) {
    std::fprintf(stderr, "write-demo-book: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
