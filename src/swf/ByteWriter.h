#pragma once
// Appending little-endian fields and most-significant-bit-first bit fields,
// the two ways movie files store numbers.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vellix::swf {

// Bytes of a movie under construction.
class ByteWriter {
 public:
  void U8(std::uint32_t v) { bytes_ += static_cast<char>(v & 0xFF); }
  void U16(std::uint32_t v) {
    U8(v);
    U8(v >> 8);
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Raw(std::string_view bytes) { bytes_.append(bytes.data(), bytes.size()); }
  // A zero-terminated text. One holding a zero byte of its own cannot be
  // read back: that is a fault of the program writing the movie, and throws.
  void CString(std::string_view text) {
    if (!text.empty() && std::memchr(text.data(), 0, text.size()))
      throw std::invalid_argument("a text in a movie holds a zero byte");
    Raw(text);
    U8(0);
  }
  std::size_t size() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// Bit fields, most significant bit first, padded with zero bits to a whole
// byte by Flush().
class BitWriter {
 public:
  explicit BitWriter(ByteWriter& out) : out_(out) {}
  ~BitWriter() { Flush(); }
  BitWriter(const BitWriter&) = delete;
  BitWriter& operator=(const BitWriter&) = delete;

  void Unsigned(int bits, std::uint32_t v) {
    for (int i = bits - 1; i >= 0; --i) {
      current_ = static_cast<std::uint8_t>((current_ << 1) | ((v >> i) & 1));
      if (++used_ == 8) {
        out_.U8(current_);
        current_ = 0;
        used_ = 0;
      }
    }
  }
  void Signed(int bits, std::int32_t v) { Unsigned(bits, static_cast<std::uint32_t>(v)); }
  void Flush() {
    if (used_ == 0) return;
    out_.U8(static_cast<std::uint32_t>(current_) << (8 - used_));
    current_ = 0;
    used_ = 0;
  }

 private:
  ByteWriter& out_;
  std::uint8_t current_ = 0;
  int used_ = 0;
};

// The fewest bits that hold `v` as a two's-complement field (at least 1).
inline int SignedBits(std::int32_t v) {
  int bits = 1;
  while (bits < 32 && (v < -(std::int64_t{1} << (bits - 1)) || v >= (std::int64_t{1} << (bits - 1)))) ++bits;
  return bits;
}

}  // namespace vellix::swf
