#include "commands/TextFile.h"

namespace vellix {

std::string ToTextModeBytes(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

bool WriteTextFile(Files& files, const std::string& path, const std::string& bytes) {
  return files.Write(path, ToTextModeBytes(bytes));
}

}  // namespace vellix
