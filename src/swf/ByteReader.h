#pragma once
// Bounds-checked reading of little-endian fields and of the bit fields that
// movie files pack most significant bit first.
#include <cstddef>
#include <cstdint>

namespace vellix::swf {

// A read-only view of bytes owned elsewhere.
struct ByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// Reads fields front to back; every read checks the bytes left first, and a
// failed read leaves the output and the position untouched.
class ByteReader {
 public:
  explicit ByteReader(ByteView bytes) : bytes_(bytes) {}

  std::size_t position() const { return position_; }
  std::size_t left() const { return bytes_.size - position_; }

  bool Skip(std::size_t count) {
    if (count > left()) return false;
    position_ += count;
    return true;
  }
  bool U8(std::uint8_t& out) {
    if (left() < 1) return false;
    out = bytes_.data[position_++];
    return true;
  }
  bool U16(std::uint16_t& out) {
    if (left() < 2) return false;
    out = static_cast<std::uint16_t>(bytes_.data[position_] | (bytes_.data[position_ + 1] << 8));
    position_ += 2;
    return true;
  }
  bool U32(std::uint32_t& out) {
    if (left() < 4) return false;
    const std::uint8_t* p = bytes_.data + position_;
    out = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
    position_ += 4;
    return true;
  }

 private:
  ByteView bytes_;
  std::size_t position_ = 0;
};

// Reads bit fields most significant bit first, as rectangles and matrices
// store them; a field may span bytes. Reads never pass the view's end.
class BitReader {
 public:
  explicit BitReader(ByteView bytes) : bytes_(bytes) {}

  // The bytes consumed so far, counting a partly read byte as whole.
  std::size_t bytesUsed() const { return (bit_ + 7) / 8; }

  bool Unsigned(int bits, std::uint32_t& out) {
    if (bits < 0 || bits > 32 || bytes_.size * 8 - bit_ < static_cast<std::size_t>(bits)) return false;
    std::uint32_t value = 0;
    for (int i = 0; i < bits; ++i, ++bit_) {
      const int b = (bytes_.data[bit_ / 8] >> (7 - bit_ % 8)) & 1;
      value = (value << 1) | static_cast<std::uint32_t>(b);
    }
    out = value;
    return true;
  }
  // A two's-complement field of `bits` bits, sign-extended.
  bool Signed(int bits, std::int32_t& out) {
    std::uint32_t raw = 0;
    if (!Unsigned(bits, raw)) return false;
    if (bits > 0 && bits < 32 && (raw >> (bits - 1)) & 1) raw |= ~std::uint32_t{0} << bits;
    out = static_cast<std::int32_t>(raw);
    return true;
  }

 private:
  ByteView bytes_;
  std::size_t bit_ = 0;
};

}  // namespace vellix::swf
