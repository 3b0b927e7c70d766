#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "text/CodePage.h"

namespace vellix {
namespace {

// One iconv descriptor per direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: code page 949 is not available");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts one unit of input; false when iconv rejects it.
  bool Convert(const char* in, std::size_t inLen, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in);
    char* dst = buf;
    std::size_t left = inLen, room = sizeof buf;
    if (iconv(cd_, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) return false;
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string ToAnsi(const Text& text) {
  static Converter conv("CP949", "UTF-16LE");
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    std::size_t units = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) units = 2;
    unsigned char in[4];
    for (std::size_t k = 0; k < units; ++k) {
      in[2 * k] = static_cast<unsigned char>(text[i + k] & 0xFF);
      in[2 * k + 1] = static_cast<unsigned char>(text[i + k] >> 8);
    }
    if (!conv.Convert(reinterpret_cast<const char*>(in), 2 * units, out)) out += '?';
    i += units - 1;
  }
  return out;
}

Text FromAnsi(const std::string& bytes) {
  static Converter conv("UTF-16LE", "CP949");
  Text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      continue;
    }
    std::string u16;
    bool ok = false;
    // A lead byte with its trail byte, else the byte alone.
    if (i + 1 < bytes.size() && conv.Convert(&bytes[i], 2, u16)) {
      ok = true;
      ++i;
    } else if (conv.Convert(&bytes[i], 1, u16)) {
      ok = true;
    }
    if (!ok || u16.empty()) {
      out += u'?';
      continue;
    }
    for (std::size_t k = 0; k + 1 < u16.size(); k += 2)
      out += static_cast<char16_t>(static_cast<unsigned char>(u16[k]) | (static_cast<unsigned char>(u16[k + 1]) << 8));
  }
  return out;
}

}  // namespace vellix
