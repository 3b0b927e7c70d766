#include "settings/VellixTxtParser.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "os/FileSystemPath.h"
#include "text/CodePage.h"

namespace vellix {

std::string ApplyTextModeRead(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (char c : raw) {
    if (c == '\x1A') break;
    if (c != '\r') out += c;
  }
  return out;
}

namespace {

// Reads the whole file in binary; false when it cannot be opened, its size
// does not fit a 32-bit count or its buffer cannot be had.
bool ReadWholeFile(const Text& path, std::string& bytes) {
  std::string name = FileSystemPath(path);
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return false;
  bool ok = false;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size >= 0 && static_cast<unsigned long>(size) < 0x7FFFFFFFul && std::fseek(f, 0, SEEK_SET) == 0) {
      try {
        bytes.assign(static_cast<std::size_t>(size), '\0');
        // A short read leaves the rest zero, as the byte scan expects.
        std::size_t got = size ? std::fread(&bytes[0], 1, bytes.size(), f) : 0;
        bytes.resize(got);
        ok = true;
      } catch (const std::bad_alloc&) {
        bytes.clear();
      }
    }
  }
  std::fclose(f);
  return ok;
}

}  // namespace

int VellixTxtParser::Parse(const Text& path) {
  std::string raw;
  if (!ReadWholeFile(path, raw)) return -1;
  try {
    ParseBytes(raw);
  } catch (const std::bad_alloc&) {
    values_.clear();
    return -1;
  }
  return 0;
}

bool ScanSettingsPairs(const std::string& fileBytes, const SettingsPairSink& onPair) {
  // The buffer is as long as the file, plus one zero byte; what text mode
  // removed (carriage returns, everything from byte 26 on) leaves zeros at
  // its end, and the scan walks those positions as well.
  const std::size_t n = fileBytes.size();
  std::vector<char> buf(n + 1, '\0');
  const std::string data = ApplyTextModeRead(fileBytes);
  if (!data.empty()) std::memcpy(buf.data(), data.data(), data.size());

  // key: position of the pair's opening "&" (-1: before the first byte);
  // value: position of the pair's last "=" (-1: none yet).
  long key = -1;
  long value = -1;
  for (std::size_t i = 0; i < n; ++i) {
    if (buf[i] == '=') {
      value = static_cast<long>(i);
      buf[i] = '\0';
    }
    if (buf[i] == '&' && value == -1) {
      key = static_cast<long>(i);
      buf[i] = '\0';
    }
    if (buf[i] == '&' && value != -1) {
      buf[i] = '\0';
      // Each text runs to the next zero byte; buf[n] is always zero.
      const Text k = FromAnsi(std::string(&buf[static_cast<std::size_t>(key + 1)]));
      const Text v = FromAnsi(std::string(&buf[static_cast<std::size_t>(value + 1)]));
      key = -1;
      value = -1;
      if (!onPair(k, v, i + 1)) return false;
    }
  }
  return value != -1;
}

void VellixTxtParser::ParseBytes(const std::string& fileBytes) {
  stoppedAtHeight_ = false;
  unreadBytes_ = 0;
  ScanSettingsPairs(fileBytes, [&](const Text& key, const Text& value, std::size_t end) {
    values_.emplace(key, value);  // a key already present keeps its first value
    if (key != u"height") return true;
    stoppedAtHeight_ = true;
    const std::size_t dataSize = ApplyTextModeRead(fileBytes).size();
    unreadBytes_ = dataSize > end ? dataSize - end : 0;
    return false;
  });
}

Text VellixTxtParser::GetValue(const Text& key) {
  auto it = values_.lower_bound(key);
  if (it != values_.end() && it->first == key) return it->second;
  values_.emplace_hint(it, key, Text());
  return Text();
}

}  // namespace vellix
