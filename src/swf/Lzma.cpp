#include "swf/Lzma.h"

#include <algorithm>

namespace vellix::swf {

namespace {

constexpr unsigned kStates = 12;
constexpr unsigned kPosStatesMax = 16;
constexpr std::uint32_t kTop = 1u << 24;
constexpr int kProbBits = 11;
constexpr std::uint16_t kProbInit = 1u << (kProbBits - 1);
constexpr unsigned kMatchMinLength = 2;
constexpr unsigned kEndPosModel = 14;
constexpr unsigned kFullDistances = 128;

// A length coder: choice, choice 2, 16 low trees of 3 bits, 16 middle trees
// of 3 bits, one high tree of 8 bits.
constexpr std::size_t kLenChoice = 0;
constexpr std::size_t kLenChoice2 = 1;
constexpr std::size_t kLenLow = 2;
constexpr std::size_t kLenMid = kLenLow + kPosStatesMax * 8;
constexpr std::size_t kLenHigh = kLenMid + kPosStatesMax * 8;
constexpr std::size_t kLenCoderSize = kLenHigh + 256;

// Offsets of the tables in probs_.
constexpr std::size_t kIsMatch = 0;
constexpr std::size_t kIsRep = kIsMatch + kStates * kPosStatesMax;
constexpr std::size_t kIsRepG0 = kIsRep + kStates;
constexpr std::size_t kIsRepG1 = kIsRepG0 + kStates;
constexpr std::size_t kIsRepG2 = kIsRepG1 + kStates;
constexpr std::size_t kIsRep0Long = kIsRepG2 + kStates;
constexpr std::size_t kPosSlot = kIsRep0Long + kStates * kPosStatesMax;
constexpr std::size_t kPosSpecial = kPosSlot + 4 * 64;
constexpr std::size_t kAlign = kPosSpecial + 1 + kFullDistances - kEndPosModel;
constexpr std::size_t kLenCoder = kAlign + 16;
constexpr std::size_t kRepLenCoder = kLenCoder + kLenCoderSize;
constexpr std::size_t kLiteral = kRepLenCoder + kLenCoderSize;

}  // namespace

LzmaDecoder::LzmaDecoder(const std::uint8_t (&properties)[5], ByteView input, std::size_t expectedSize)
    : in_(input), expected_(expectedSize) {
  unsigned d = properties[0];
  if (d >= 9 * 5 * 5) {
    error_ = LzmaError::kBadProperties;
    return;
  }
  lc_ = d % 9;
  d /= 9;
  lp_ = d % 5;
  pb_ = d / 5;
  dictionarySize_ = std::uint32_t{properties[1]} | (std::uint32_t{properties[2]} << 8) |
                    (std::uint32_t{properties[3]} << 16) | (std::uint32_t{properties[4]} << 24);
  dictionarySize_ = std::max<std::uint32_t>(dictionarySize_, 1u << 12);
  probs_.assign(kLiteral + (std::size_t{0x300} << (lc_ + lp_)), kProbInit);
}

bool LzmaDecoder::Fail(LzmaError e) {
  error_ = e;
  return false;
}

// The range coder starts with a zero byte and the first 4 bytes of the code.
bool LzmaDecoder::Init() {
  std::uint8_t first = 0;
  if (!in_.U8(first)) return Fail(LzmaError::kTruncated);
  if (first != 0) return Fail(LzmaError::kCorrupt);
  for (int i = 0; i < 4; ++i) {
    std::uint8_t b = 0;
    if (!in_.U8(b)) return Fail(LzmaError::kTruncated);
    code_ = (code_ << 8) | b;
  }
  if (code_ == range_) return Fail(LzmaError::kCorrupt);
  started_ = true;
  return true;
}

bool LzmaDecoder::Normalize() {
  if (range_ < kTop) {
    std::uint8_t b = 0;
    if (!in_.U8(b)) return Fail(LzmaError::kTruncated);
    range_ <<= 8;
    code_ = (code_ << 8) | b;
  }
  return true;
}

bool LzmaDecoder::Bit(Prob& p, unsigned& bit) {
  const std::uint32_t bound = (range_ >> kProbBits) * p;
  if (code_ < bound) {
    p = static_cast<Prob>(p + (((1u << kProbBits) - p) >> 5));
    range_ = bound;
    bit = 0;
  } else {
    p = static_cast<Prob>(p - (p >> 5));
    code_ -= bound;
    range_ -= bound;
    bit = 1;
  }
  return Normalize();
}

bool LzmaDecoder::DirectBits(int count, std::uint32_t& out) {
  std::uint32_t result = 0;
  for (int i = 0; i < count; ++i) {
    range_ >>= 1;
    code_ -= range_;
    const std::uint32_t t = 0u - (code_ >> 31);
    code_ += range_ & t;
    if (code_ == range_) return Fail(LzmaError::kCorrupt);
    if (!Normalize()) return false;
    result = (result << 1) + (t + 1);
  }
  out = result;
  return true;
}

bool LzmaDecoder::Tree(Prob* probs, int bits, std::uint32_t& out) {
  std::uint32_t m = 1;
  for (int i = 0; i < bits; ++i) {
    unsigned bit = 0;
    if (!Bit(probs[m], bit)) return false;
    m = (m << 1) + bit;
  }
  out = m - (1u << bits);
  return true;
}

bool LzmaDecoder::ReverseTree(Prob* probs, int bits, std::uint32_t& out) {
  std::uint32_t m = 1, symbol = 0;
  for (int i = 0; i < bits; ++i) {
    unsigned bit = 0;
    if (!Bit(probs[m], bit)) return false;
    m = (m << 1) + bit;
    symbol |= bit << i;
  }
  out = symbol;
  return true;
}

bool LzmaDecoder::Length(Prob* coder, unsigned posState, std::uint32_t& out) {
  unsigned bit = 0;
  if (!Bit(coder[kLenChoice], bit)) return false;
  if (bit == 0) return Tree(coder + kLenLow + posState * 8, 3, out);
  if (!Bit(coder[kLenChoice2], bit)) return false;
  std::uint32_t v = 0;
  if (bit == 0) {
    if (!Tree(coder + kLenMid + posState * 8, 3, v)) return false;
    out = 8 + v;
    return true;
  }
  if (!Tree(coder + kLenHigh, 8, v)) return false;
  out = 16 + v;
  return true;
}

bool LzmaDecoder::Literal() {
  const unsigned prev = out_.empty() ? 0 : out_.back();
  const std::size_t pos = out_.size();
  const std::size_t litState = ((pos & ((std::size_t{1} << lp_) - 1)) << lc_) + (prev >> (8 - lc_));
  Prob* probs = &probs_[kLiteral + 0x300 * litState];
  unsigned symbol = 1;
  if (state_ >= 7) {
    // After a match the byte at the last distance steers the first bits.
    unsigned matchByte = out_[out_.size() - rep_[0] - 1];
    do {
      const unsigned matchBit = (matchByte >> 7) & 1;
      matchByte <<= 1;
      unsigned bit = 0;
      if (!Bit(probs[((1 + matchBit) << 8) + symbol], bit)) return false;
      symbol = (symbol << 1) | bit;
      if (matchBit != bit) break;
    } while (symbol < 0x100);
  }
  while (symbol < 0x100) {
    unsigned bit = 0;
    if (!Bit(probs[symbol], bit)) return false;
    symbol = (symbol << 1) | bit;
  }
  out_.push_back(static_cast<std::uint8_t>(symbol - 0x100));
  return true;
}

bool LzmaDecoder::Distance(std::uint32_t length, std::uint32_t& out) {
  const unsigned lenState = std::min<std::uint32_t>(length, 3);
  std::uint32_t slot = 0;
  if (!Tree(&probs_[kPosSlot + lenState * 64], 6, slot)) return false;
  if (slot < 4) {
    out = slot;
    return true;
  }
  const int directBits = static_cast<int>((slot >> 1) - 1);
  std::uint32_t dist = (2 | (slot & 1)) << directBits;
  std::uint32_t v = 0;
  if (slot < kEndPosModel) {
    if (!ReverseTree(&probs_[kPosSpecial + dist - slot], directBits, v)) return false;
    out = dist + v;
    return true;
  }
  if (!DirectBits(directBits - 4, v)) return false;
  dist += v << 4;
  if (!ReverseTree(&probs_[kAlign], 4, v)) return false;
  out = dist + v;
  return true;
}

bool LzmaDecoder::DecodeTo(std::size_t wanted) {
  if (error_ != LzmaError::kNone) return false;
  wanted = std::min(wanted, expected_);
  if (!started_ && out_.size() < wanted && !Init()) return false;
  while (out_.size() < wanted) {
    if (finished_) return Fail(LzmaError::kEndedEarly);
    const unsigned posState = static_cast<unsigned>(out_.size() & ((std::size_t{1} << pb_) - 1));
    unsigned bit = 0;
    if (!Bit(probs_[kIsMatch + (state_ << 4) + posState], bit)) return false;
    if (bit == 0) {
      if (!Literal()) return false;
      state_ = state_ < 4 ? 0 : state_ < 10 ? state_ - 3 : state_ - 6;
      continue;
    }
    std::uint32_t length = 0;
    if (!Bit(probs_[kIsRep + state_], bit)) return false;
    if (bit != 0) {
      if (out_.empty()) return Fail(LzmaError::kCorrupt);
      if (!Bit(probs_[kIsRepG0 + state_], bit)) return false;
      if (bit == 0) {
        if (!Bit(probs_[kIsRep0Long + (state_ << 4) + posState], bit)) return false;
        if (bit == 0) {
          // A single byte at the last distance.
          state_ = state_ < 7 ? 9 : 11;
          const std::uint8_t b = out_[out_.size() - rep_[0] - 1];
          out_.push_back(b);
          continue;
        }
      } else {
        std::uint32_t dist = 0;
        if (!Bit(probs_[kIsRepG1 + state_], bit)) return false;
        if (bit == 0) {
          dist = rep_[1];
        } else {
          if (!Bit(probs_[kIsRepG2 + state_], bit)) return false;
          if (bit == 0) {
            dist = rep_[2];
          } else {
            dist = rep_[3];
            rep_[3] = rep_[2];
          }
          rep_[2] = rep_[1];
        }
        rep_[1] = rep_[0];
        rep_[0] = dist;
      }
      if (!Length(&probs_[kRepLenCoder], posState, length)) return false;
      state_ = state_ < 7 ? 8 : 11;
    } else {
      rep_[3] = rep_[2];
      rep_[2] = rep_[1];
      rep_[1] = rep_[0];
      if (!Length(&probs_[kLenCoder], posState, length)) return false;
      state_ = state_ < 7 ? 7 : 10;
      if (!Distance(length, rep_[0])) return false;
      if (rep_[0] == 0xFFFFFFFFu) {
        // The end marker: nothing may follow it.
        finished_ = true;
        continue;
      }
      if (rep_[0] >= dictionarySize_ || rep_[0] >= out_.size()) return Fail(LzmaError::kCorrupt);
    }
    // A match of `length` bytes; one that would pass the expected size ends
    // the stream there.
    std::size_t count = std::min<std::size_t>(length + kMatchMinLength, expected_ - out_.size());
    const std::size_t from = out_.size() - rep_[0] - 1;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t b = out_[from + i];
      out_.push_back(b);
    }
  }
  return true;
}

}  // namespace vellix::swf
