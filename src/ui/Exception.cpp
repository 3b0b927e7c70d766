#include "ui/Exception.h"

namespace vellix::ui {

Text TrimLineBreaks(const Text& message) {
  std::size_t end = message.size();
  while (end > 0 && (message[end - 1] == u'\r' || message[end - 1] == u'\n' || message[end - 1] == u' ' ||
                     message[end - 1] == u'\t'))
    --end;
  return message.substr(0, end);
}

}  // namespace vellix::ui
