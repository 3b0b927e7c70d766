#include "os/Forms.h"

#include <utility>

#include "os/Exception.h"

namespace vellix {

namespace {
// Lower case for the letters of the scripts a file name is likely to use;
// other characters stay as they are.
char16_t ToLower(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;  // Latin-1
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;                // Cyrillic Ѐ-Џ
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;              // full-width A-Z
  return c;
}
}  // namespace

Text DefaultTitle(const Text& executablePath) {
  Text name = executablePath.substr(executablePath.find_last_of(u"\\:/") + 1);
  std::size_t dot = name.find(u'.');
  if (dot != Text::npos) name.resize(dot);
  for (std::size_t i = 1; i < name.size(); ++i) name[i] = ToLower(name[i]);
  return name;
}

Text DisplayMessage(const Text& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

Exception::Exception(Text message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}

void ShowCurrentException(ExceptionDisplay& display) noexcept {
  try {
    try {
      throw;
    } catch (const Exception& error) {
      display.ShowException(error.Message());
    } catch (...) {
      display.ShowException(Text());
    }
  } catch (...) {
    // Showing an error must not raise another one.
  }
}

}  // namespace vellix
