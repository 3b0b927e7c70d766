#pragma once
// A small JSON writer for what the viewer hands its page: objects, arrays,
// strings, booleans. Strings are UTF-8 and escaped so that any text a movie
// or a file name holds arrives as the same text.
#include <string>
#include <utility>
#include <vector>

namespace vellix::engine {

class Json {
 public:
  static Json String(const std::string& utf8);
  static Json Bool(bool value);
  static Json Array(const std::vector<Json>& items);
  static Json Strings(const std::vector<std::string>& items);
  static Json Pairs(const std::vector<std::pair<std::string, std::string>>& pairs);  // [[name, value], ...]
  static Json Object() { return Json("{}"); }

  // Adds a member to an object.
  Json& Set(const std::string& key, const Json& value);
  const std::string& Text() const { return text_; }

 private:
  explicit Json(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

}  // namespace vellix::engine
