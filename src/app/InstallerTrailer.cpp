#include "app/InstallerTrailer.h"

namespace vellix {

AppendedInstaller FindAppendedInstaller(std::uint64_t fileLength, ByteSource& file) {
  AppendedInstaller result;
  if (fileLength < 4) {
    result.error = TrailerError::FileTooShort;
    return result;
  }
  std::uint8_t b[4] = {};
  if (!file.ReadAt(fileLength - 4, b, sizeof b)) {
    result.error = TrailerError::Unreadable;
    return result;
  }
  const std::uint32_t n = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
                          std::uint32_t{b[3]};
  if (n == 0) {
    result.error = TrailerError::ZeroLength;
    return result;
  }
  if (n > fileLength - 4) {
    result.error = TrailerError::LengthTooLarge;
    return result;
  }
  result.offset = fileLength - 4 - n;
  result.length = n;
  return result;
}

std::array<std::uint8_t, 4> EncodeTrailer(std::uint32_t length) {
  return {static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
}

const char* DescribeTrailerError(TrailerError error) {
  switch (error) {
    case TrailerError::None:
      return "valid trailer";
    case TrailerError::FileTooShort:
      return "file is shorter than the 4-byte trailer";
    case TrailerError::Unreadable:
      return "the trailer could not be read";
    case TrailerError::ZeroLength:
      return "the trailer gives length 0";
    case TrailerError::LengthTooLarge:
      return "the trailer gives a length larger than the file";
  }
  return "unknown trailer error";
}

}  // namespace vellix
