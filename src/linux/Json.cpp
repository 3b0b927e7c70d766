#include "linux/Json.h"

#include <cstdio>

namespace vellix::engine {

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\u%04x", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  // U+2028 and U+2029 are valid in JSON; JSON.parse takes them as they are.
  return out + "\"";
}

}  // namespace

Json Json::String(const std::string& utf8) { return Json(Quote(utf8)); }

Json Json::Bool(bool value) { return Json(value ? "true" : "false"); }

Json Json::Array(const std::vector<Json>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ",";
    out += items[i].text_;
  }
  return Json(out + "]");
}

Json Json::Strings(const std::vector<std::string>& items) {
  std::vector<Json> list;
  for (const std::string& s : items) list.push_back(String(s));
  return Array(list);
}

Json Json::Pairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::vector<Json> list;
  for (const auto& [name, value] : pairs) list.push_back(Strings({name, value}));
  return Array(list);
}

Json& Json::Set(const std::string& key, const Json& value) {
  text_.pop_back();  // the closing brace
  if (text_.size() > 1) text_ += ",";
  text_ += Quote(key) + ":" + value.text_ + "}";
  return *this;
}

}  // namespace vellix::engine
