#include "ui/Exception.h"

#include <utility>

namespace vellix::ui {

Exception::Exception(Text message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}

OleError::OleError(long code, Text message) : Exception(std::move(message)), code_(code) {}

Text DisplayMessage(const Text& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

Text TrimLineBreaks(const Text& message) {
  std::size_t end = message.size();
  while (end > 0 && (message[end - 1] == u'\r' || message[end - 1] == u'\n' ||
                     message[end - 1] == u' ' || message[end - 1] == u'\t')) --end;
  return message.substr(0, end);
}

}  // namespace vellix::ui
