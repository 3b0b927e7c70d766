#pragma once
// Test-side readers of a movie's tags and of action records, written apart
// from the writer so that the two check each other.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "swf/MovieFacts.h"

namespace vellix::swf::testing {

inline swf::ByteView View(const std::string& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

inline std::uint32_t U16At(const std::string& s, std::size_t at) {
  return static_cast<std::uint8_t>(s.at(at)) | (static_cast<std::uint8_t>(s.at(at + 1)) << 8);
}

inline std::uint32_t U32At(const std::string& s, std::size_t at) { return U16At(s, at) | (U16At(s, at + 2) << 16); }

// A zero-terminated text at `at`; `at` moves past its zero.
inline std::string CStringAt(const std::string& s, std::size_t& at) {
  const std::size_t end = s.find('\0', at);
  EXPECT_NE(end, std::string::npos) << "unterminated text";
  std::string text = s.substr(at, end - at);
  at = end + 1;
  return text;
}

struct Tag {
  std::uint16_t code = 0;
  std::string body;
};

// The tags from `at` to the End tag, which must close `bytes` exactly.
inline std::vector<Tag> WalkTags(const std::string& bytes, std::size_t at) {
  std::vector<Tag> tags;
  while (at + 2 <= bytes.size()) {
    const std::uint32_t head = U16At(bytes, at);
    at += 2;
    std::uint32_t length = head & 0x3F;
    if (length == 0x3F) {
      length = U32At(bytes, at);
      at += 4;
    }
    EXPECT_LE(at + length, bytes.size()) << "tag " << (head >> 6) << " runs past the end";
    if (at + length > bytes.size()) break;
    tags.push_back({static_cast<std::uint16_t>(head >> 6), bytes.substr(at, length)});
    at += length;
    if (tags.back().code == 0) {
      EXPECT_EQ(at, bytes.size()) << "bytes after the End tag";
      return tags;
    }
  }
  ADD_FAILURE() << "no End tag";
  return tags;
}

// The tags of an uncompressed movie.
inline std::vector<Tag> MovieTags(const std::string& movie) {
  const int bits = static_cast<std::uint8_t>(movie.at(8)) >> 3;
  return WalkTags(movie, 8 + (5 + 4 * bits + 7) / 8 + 4);
}

struct ActionRecord {
  std::size_t offset = 0;
  std::uint8_t code = 0;
  std::string payload;
};

// The records of an action list up to its End action. Every jump must land
// on the start of a record (or the End), and a function body must end on a
// record boundary; both are checked.
inline std::vector<ActionRecord> WalkActions(const std::string& code) {
  std::vector<ActionRecord> records;
  std::set<std::size_t> starts;
  std::vector<std::size_t> targets;
  std::size_t at = 0;
  while (at < code.size()) {
    ActionRecord r;
    r.offset = at;
    r.code = static_cast<std::uint8_t>(code[at++]);
    starts.insert(r.offset);
    if (r.code == 0) {
      records.push_back(r);
      break;
    }
    if (r.code >= 0x80) {
      const std::uint32_t length = U16At(code, at);
      at += 2;
      EXPECT_LE(at + length, code.size()) << "action 0x" << std::hex << int(r.code) << " runs past the end";
      r.payload = code.substr(at, length);
      at += length;
      if (r.code == 0x99 || r.code == 0x9D) {
        const auto offset = static_cast<std::int16_t>(U16At(r.payload, 0));
        targets.push_back(at + offset);
      }
      if (r.code == 0x9B) {
        const std::uint32_t bodySize = U16At(r.payload, r.payload.size() - 2);
        targets.push_back(at + bodySize);
      }
    }
    records.push_back(r);
  }
  EXPECT_FALSE(records.empty());
  if (!records.empty()) {
    EXPECT_EQ(records.back().code, 0) << "no End action";
  }
  for (std::size_t t : targets) EXPECT_TRUE(starts.count(t)) << "a jump lands inside a record, at " << t;
  return records;
}

// The actions of a DefineButton2 body's first condition, found through its
// action offset; `flags` gets the condition's first flag byte.
inline std::string ButtonActions(const std::string& body, std::uint8_t* flags = nullptr) {
  const std::size_t conditions = 3 + U16At(body, 3);
  EXPECT_EQ(body.at(conditions - 1), '\0') << "the action offset does not follow the records";
  if (flags) *flags = static_cast<std::uint8_t>(body.at(conditions + 2));
  return body.substr(conditions + 4);
}

}  // namespace vellix::swf::testing
