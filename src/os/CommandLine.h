#pragma once
// The program's command line split into arguments the way the class library
// splits it: blanks and control characters separate arguments, double quotes
// group blanks into one argument and are removed, and an empty pair of
// quotes standing where an argument would start is skipped. Element 0 is the
// program as the command line names it. Splitting ends at the first argument
// that comes out empty (a lone quote at the end) and at a zero character.
#include <vector>

#include "text/Text.h"

namespace vellix {

std::vector<Text> SplitCommandLine(const Text& commandLine);

// Argument 1 of the command line; empty when there is none.
Text FirstArgument(const Text& commandLine);

}  // namespace vellix
