#pragma once
// The facts of a movie file that a viewer needs before playing it, read from
// its bytes. A movie file:
//
//   offset  length  field
//   0       3       signature: "FWS" uncompressed, "CWS" zlib, "ZWS" LZMA
//   3       1       version
//   4       4       file length: the whole movie uncompressed, these 8 bytes
//                   included; unsigned 32-bit little-endian
//   8       ...     FWS: the body as it is
//                   CWS: a zlib stream of the body
//                   ZWS: compressed length (4 bytes, little-endian, the LZMA
//                   data after the properties), 5 LZMA property bytes, then the
//                   raw LZMA data of the body (see Lzma.h)
//
// The body, uncompressed (file length - 8 bytes):
//
//   stage rectangle  5-bit field size n, then x min, x max, y min, y max, each
//                    an n-bit signed number of twips (1/20 pixel), most
//                    significant bit first, padded to a whole byte
//   frame rate       unsigned 16-bit, 8.8 fixed point: low byte the fraction
//   frame count      unsigned 16-bit
//   tags             each a 16-bit header, code << 6 | length; a length of 63
//                    means that an unsigned 32-bit length follows. Code 0 ends
//                    the movie, code 1 ends a frame.
//
// Tags read for the facts:
//   SetBackgroundColor (9)  red, green, blue
//   FileAttributes (69)     unsigned 32-bit flags; 0x08: ActionScript 3
//   DoABC (72, 82)          ActionScript 3 code
#include <cstddef>
#include <cstdint>
#include <optional>

#include "swf/ByteReader.h"
#include "swf/Rgb.h"

namespace vellix::swf {

enum class Compression { kNone, kZlib, kLzma };

enum class MovieError {
  kNone,
  kNotAMovie,           // the first bytes are not a movie signature
  kUnknownCompression,  // "?WS" with a compression other than F, C or Z
  kTruncatedHeader,     // fewer bytes than the fixed header
  kBadFileLength,       // the header's file length cannot hold the movie's own header
  kTruncated,           // the file ends before the length its header gives
  kBadZlibData,         // the zlib stream is corrupt
  kBadLzmaData,         // the LZMA properties or data are corrupt
  kBadTagLength,        // a tag runs past the end of the movie
  kBadTag,              // a tag the facts come from is too short for its fields
  kBadStageSize,        // the stage rectangle has a negative width or height
  kTooLarge,            // the body would decompress to more than the reader allows
};

// How far the reader reads: the first frame gives every fact; the whole movie
// also proves that every tag is in place and that compressed data is intact.
enum class MovieScan { kFirstFrame, kWholeMovie };

// Largest body that the reader decompresses (a compressed movie can claim up
// to 4 GB in 8 bytes).
constexpr std::uint32_t kMaxDecompressedBody = 512u << 20;

constexpr std::uint32_t kActionScript3Flag = 0x08;

struct MovieFacts {
  Compression compression = Compression::kNone;
  int version = 0;
  std::uint32_t fileLength = 0;
  // The stage rectangle in twips.
  std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  std::uint16_t frameRate88 = 0;  // 8.8 fixed point
  std::uint16_t frameCount = 0;
  std::optional<Rgb> background;             // the first SetBackgroundColor
  std::optional<std::uint32_t> fileAttributes;  // flags of the FileAttributes tag
  bool hasAbc = false;                       // a DoABC tag among those read

  // Known after a whole-movie scan only.
  std::uint32_t framesFound = 0;  // ShowFrame tags before the end
  bool hasEndTag = false;
  bool surplusData = false;  // data after the length the header gives, which players ignore

  std::int32_t widthTwips() const { return xMax - xMin; }
  std::int32_t heightTwips() const { return yMax - yMin; }
  double widthPixels() const { return widthTwips() / 20.0; }
  double heightPixels() const { return heightTwips() / 20.0; }
  double frameRate() const { return frameRate88 / 256.0; }
  // ActionScript 3 movies run in the second virtual machine; the flag of the
  // FileAttributes tag decides, as it does for players.
  bool actionScript3() const { return fileAttributes && (*fileAttributes & kActionScript3Flag); }
};

struct MovieRead {
  MovieError error = MovieError::kNone;
  MovieFacts facts;  // what was read before any error
  bool ok() const { return error == MovieError::kNone; }
};

// Reads the facts of the movie in `bytes`. Never reads outside them; an error
// names the first problem found.
MovieRead ReadMovieFacts(ByteView bytes, MovieScan scan = MovieScan::kFirstFrame);

// One line of English for people who make books.
const char* DescribeMovieError(MovieError error);
const char* DescribeCompression(Compression compression);

}  // namespace vellix::swf
