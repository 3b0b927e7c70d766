#include "os/Ports.h"

namespace vellix {

std::vector<Text> DriveLetterRoots() {
  std::vector<Text> roots;
  for (char16_t letter = u'C'; letter <= u'Z'; ++letter) roots.push_back(Text(1, letter) + u":\\");
  return roots;
}

}  // namespace vellix
