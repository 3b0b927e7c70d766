#include "ui/Filter.h"

namespace vellix::ui {

std::vector<FilterEntry> ParseFilter(const Text& filter) {
  std::vector<FilterEntry> entries;
  std::size_t at = 0;
  while (at <= filter.size()) {
    std::size_t bar = filter.find(u'|', at);
    if (bar == Text::npos) break;
    std::size_t end = filter.find(u'|', bar + 1);
    if (end == Text::npos) end = filter.size();
    const Text display = filter.substr(at, bar - at);
    const Text list = filter.substr(bar + 1, end - bar - 1);
    FilterEntry entry{display.empty() ? list : display, {}};
    for (std::size_t p = 0; p <= list.size();) {
      std::size_t semi = list.find(u';', p);
      if (semi == Text::npos) semi = list.size();
      if (semi > p) entry.patterns.push_back(list.substr(p, semi - p));
      p = semi + 1;
    }
    if (!entry.patterns.empty()) entries.push_back(entry);
    at = end + 1;
  }
  return entries;
}

Text FilterList(const Text& filter) {
  Text out;
  std::size_t at = 0;
  while (at <= filter.size()) {
    std::size_t bar = filter.find(u'|', at);
    if (bar == Text::npos) break;  // a display text with no pattern after it
    std::size_t end = filter.find(u'|', bar + 1);
    if (end == Text::npos) end = filter.size();
    Text display = filter.substr(at, bar - at);
    Text pattern = filter.substr(bar + 1, end - bar - 1);
    // An empty display text would end the list there: show the pattern
    // instead. A pair without a pattern, or with a NUL inside, is dropped.
    if (display.empty()) display = pattern;
    if (!pattern.empty() && display.find(u'\0') == Text::npos && pattern.find(u'\0') == Text::npos) {
      out += display;
      out += u'\0';
      out += pattern;
      out += u'\0';
    }
    at = end + 1;
  }
  if (!out.empty()) out += u'\0';
  return out;
}

}  // namespace vellix::ui
