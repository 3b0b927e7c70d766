#include "text/Text.h"

namespace vellix {

Text ReplaceAll(const Text& s, const Text& from, const Text& to) {
  if (from.empty()) return s;
  Text out;
  out.reserve(s.size());
  std::size_t at = 0;
  for (;;) {
    std::size_t hit = s.find(from, at);
    if (hit == Text::npos) break;
    out.append(s, at, hit - at);
    out += to;
    at = hit + from.size();
  }
  out.append(s, at, Text::npos);
  return out;
}

std::size_t Pos(const Text& sub, const Text& s) {
  if (sub.empty()) return 0;
  std::size_t hit = s.find(sub);
  return hit == Text::npos ? 0 : hit + 1;
}

Text Copy(const Text& s, std::ptrdiff_t index, std::ptrdiff_t count) {
  if (index < 1) index = 1;
  if (count <= 0 || static_cast<std::size_t>(index) > s.size()) return Text();
  return s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

Split SplitAtFirst(const Text& s, const Text& sep) {
  Split r;
  std::size_t hit = sep.empty() ? Text::npos : s.find(sep);
  if (hit == Text::npos) {
    r.head = s;
    return r;
  }
  r.head = s.substr(0, hit);
  r.tail = s.substr(hit + sep.size());
  r.found = true;
  return r;
}

namespace {
std::size_t LastDelimiter(const Text& path) {
  std::size_t p = path.find_last_of(u"\\:");
  return p;
}
}  // namespace

Text ExtractFilePath(const Text& path) {
  std::size_t p = LastDelimiter(path);
  return p == Text::npos ? Text() : path.substr(0, p + 1);
}

Text ExtractFileName(const Text& path) {
  std::size_t p = LastDelimiter(path);
  return p == Text::npos ? path : path.substr(p + 1);
}

Text ExtractFileExt(const Text& path) {
  std::size_t p = path.find_last_of(u".\\:");
  if (p == Text::npos || path[p] != u'.') return Text();
  return path.substr(p);
}

Text ChangeFileExt(const Text& path, const Text& ext) {
  std::size_t p = path.find_last_of(u".\\:");
  if (p == Text::npos || path[p] != u'.') return path + ext;
  return path.substr(0, p) + ext;
}

Text ExtractFileDir(const Text& path) {
  std::size_t p = LastDelimiter(path);
  if (p == Text::npos) return Text();
  // "C:\" and "\" keep their backslash; "C:" has none to drop.
  if (p > 0 && path[p] == u'\\' && path[p - 1] != u':' && path[p - 1] != u'\\') return path.substr(0, p);
  return path.substr(0, p + 1);
}

Text LowerCaseAscii(const Text& s) {
  Text r = s;
  for (auto& c : r)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return r;
}

Text FromUtf8(const std::string& s) {
  Text out;
  out.reserve(s.size());
  std::size_t i = 0;
  const std::size_t n = s.size();
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  while (i < n) {
    unsigned c = byte(i);
    unsigned cp;
    std::size_t len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
    else { out += u'\uFFFD'; ++i; continue; }
    bool ok = i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      unsigned t = byte(i + k);
      if ((t & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (t & 0x3F);
    }
    static const unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

std::string ToUtf8(const Text& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace vellix
