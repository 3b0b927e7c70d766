#include "linux/MovieRequests.h"

#include <cstdio>

namespace vellix::engine {

const char kScheme[] = "vellix";

namespace {

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::string Encode(const std::string& text, bool keepSlash) {
  std::string out;
  for (unsigned char c : text) {
    if (Unreserved(c) || (keepSlash && c == '/')) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string ext = path.substr(dot);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return ext;
}

bool StartsWith(const Text& s, const Text& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

std::string Hex(std::uint32_t rgb) {
  char css[8];
  std::snprintf(css, sizeof css, "#%06x", rgb & 0xFFFFFFu);
  return css;
}

}  // namespace

std::string LocalUrl(const std::string& absolutePath) {
  return std::string(kScheme) + "://local" + Encode(absolutePath, true);
}

std::string PathOfRequest(const std::string& requestPath) {
  std::string out;
  for (std::size_t i = 0; i < requestPath.size(); ++i) {
    char c = requestPath[i];
    if (c == '%' && i + 2 < requestPath.size()) {
      int hi = HexValue(requestPath[i + 1]), lo = HexValue(requestPath[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += c;
  }
  if (out.empty() || out[0] != '/' || out.find('\0') != std::string::npos) return std::string();
  return out;
}

std::string ContentType(const std::string& path) {
  static const std::map<std::string, std::string> types = {
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".wasm", "application/wasm"},
      {".swf", "application/x-shockwave-flash"},
      {".spl", "application/futuresplash"},
      {".ttf", "font/ttf"},
      {".otf", "font/otf"},
      {".ttc", "font/collection"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".gif", "image/gif"},
      {".bmp", "image/bmp"},
      {".mp3", "audio/mpeg"},
      {".flv", "video/x-flv"},
      {".mp4", "video/mp4"},
  };
  auto found = types.find(LowerExtension(path));
  if (found != types.end()) return found->second;
  return "text/plain; charset=windows-949";
}

std::string BridgeVariableName(const Text& name) {
  if (StartsWith(name, u"_level")) return ToUtf8(name);
  if (StartsWith(name, u"_root.")) return "_level0." + ToUtf8(name.substr(6));
  return "_level0." + ToUtf8(name);
}

std::optional<std::string> RootVariableName(const Text& name) {
  Text bare = name;
  if (StartsWith(bare, u"_root."))
    bare = bare.substr(6);
  else if (StartsWith(bare, u"_level0."))
    bare = bare.substr(8);
  if (bare.empty() || bare.find(u'.') != Text::npos || bare.find(u'/') != Text::npos ||
      bare.find(u':') != Text::npos)
    return std::nullopt;
  return ToUtf8(bare);
}

std::string Query(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string out;
  for (const auto& [name, value] : pairs) {
    if (!out.empty()) out += '&';
    out += Encode(name, false) + "=" + Encode(value, false);
  }
  return out;
}

MovieLoad PlanMovieLoad(const Text& movie, const std::string& path, const MovieKind& kind,
                        const std::vector<std::pair<Text, Text>>& variables) {
  MovieLoad load;
  if (movie == u"about:blank" || movie.empty()) return load;
  load.url = LocalUrl(path);
  load.background = Hex(kind.background.value_or(0xFFFFFF));
  std::vector<std::pair<std::string, std::string>> root;
  for (const auto& [name, value] : variables) {
    std::optional<std::string> bare = RootVariableName(name);
    // A later value of the same variable replaces the earlier one.
    auto& list = bare ? root : load.later;
    const std::string key = bare ? *bare : BridgeVariableName(name);
    bool replaced = false;
    for (auto& pair : list)
      if (pair.first == key) {
        pair.second = ToUtf8(value);
        replaced = true;
      }
    if (!replaced) list.emplace_back(key, ToUtf8(value));
  }
  if (!kind.playable || kind.actionScript3) {
    load.way = MovieLoad::Way::kDirect;
    load.flashVars = root;
    return load;
  }
  load.way = MovieLoad::Way::kBridge;
  if (!root.empty()) load.url += "?" + Query(root);
  return load;
}

}  // namespace vellix::engine
