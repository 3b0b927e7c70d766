#include <iostream>
#include <string>
#include <vector>

#include "BookTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vellix::RunBookTool(args, std::cout, std::cerr);
}
