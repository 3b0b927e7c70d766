#pragma once
// A decoder for raw LZMA streams, the compression of "ZWS" movies. Such a
// movie stores 5 property bytes and then the range-coded data, without the
// 8-byte size of the .lzma file format: the decoded length comes from the
// movie's header instead.
//
//   properties byte 0    lc + 9 * (lp + 5 * pb), at most 224
//   properties 1 to 4    dictionary size, unsigned 32-bit little-endian
//
// The decoder works on bytes held in memory, decodes only as far as asked,
// never reads past its input and never writes more than the expected length.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/ByteReader.h"

namespace vellix::swf {

enum class LzmaError {
  kNone,
  kBadProperties,  // lc, lp or pb out of range
  kTruncated,      // the compressed data ends before the decoded length is reached
  kCorrupt,        // the range coder's state or a match distance is impossible
  kEndedEarly,     // an end marker before the decoded length was reached
};

// Decodes one raw LZMA stream step by step into memory.
class LzmaDecoder {
 public:
  // `properties` are the 5 property bytes; `expectedSize` is the length of the
  // decoded data, which the decoder never exceeds.
  LzmaDecoder(const std::uint8_t (&properties)[5], ByteView input, std::size_t expectedSize);

  // Decodes until at least `wanted` bytes (at most the expected size) are out.
  // False once an error has stopped the stream; what was decoded stays.
  bool DecodeTo(std::size_t wanted);

  const std::vector<std::uint8_t>& output() const { return out_; }
  LzmaError error() const { return error_; }

 private:
  using Prob = std::uint16_t;

  bool Init();
  bool Normalize();
  bool Bit(Prob& p, unsigned& bit);
  bool DirectBits(int count, std::uint32_t& out);
  bool Tree(Prob* probs, int bits, std::uint32_t& out);
  bool ReverseTree(Prob* probs, int bits, std::uint32_t& out);
  bool Length(Prob* coder, unsigned posState, std::uint32_t& out);
  bool Literal();
  bool Distance(std::uint32_t length, std::uint32_t& out);
  bool Fail(LzmaError e);

  ByteReader in_;
  std::size_t expected_;
  std::vector<std::uint8_t> out_;
  LzmaError error_ = LzmaError::kNone;
  bool started_ = false;
  bool finished_ = false;

  unsigned lc_ = 0, lp_ = 0, pb_ = 0;
  std::uint32_t dictionarySize_ = 0;
  std::uint32_t range_ = 0xFFFFFFFFu, code_ = 0;
  unsigned state_ = 0;
  std::uint32_t rep_[4] = {0, 0, 0, 0};

  // Probability tables, in one block: see the offsets in Lzma.cpp.
  std::vector<Prob> probs_;
};

}  // namespace vellix::swf
