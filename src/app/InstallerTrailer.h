#pragma once
// The Flash runtime's installer travels at the end of the viewer's own
// executable, located by a 4-byte trailer. Layout, with F the file length and
// N the installer's length:
//
//   offset      length      field
//   0           F - N - 4   the viewer program, as the linker produced it
//   F - N - 4   N           the installer, a complete executable, byte for byte
//   F - 4       4           N, unsigned 32-bit, big-endian
//
// Nothing else is stored: no signature, no checksum, no filler.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vellix {

// Random access to the bytes of one file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills `buffer` with the `count` bytes at `offset`; false unless all of
  // them could be read.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// An opened file that also knows its length.
class ReadableFile : public ByteSource {
 public:
  // Empty when the length cannot be found out.
  virtual std::optional<std::uint64_t> Length() = 0;
};

enum class TrailerError {
  None,
  FileTooShort,     // fewer than 4 bytes: no room for the trailer
  Unreadable,       // the last 4 bytes could not be read
  ZeroLength,       // N = 0: nothing appended
  LengthTooLarge,   // N > F - 4: the trailer points before the file's start
};

struct AppendedInstaller {
  TrailerError error = TrailerError::None;
  std::uint64_t offset = 0;  // F - N - 4
  std::uint32_t length = 0;  // N
  bool found() const { return error == TrailerError::None; }
};

// Reads and checks the trailer of a file of `fileLength` bytes. Only the last
// 4 bytes are read; the installer itself is not looked into.
AppendedInstaller FindAppendedInstaller(std::uint64_t fileLength, ByteSource& file);

// The trailer for an installer of `length` bytes.
std::array<std::uint8_t, 4> EncodeTrailer(std::uint32_t length);

// One line of English for people who make books.
const char* DescribeTrailerError(TrailerError error);

}  // namespace vellix
