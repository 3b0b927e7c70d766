// Movies written by the writer, read back by the reader; and broken movies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MovieParts.h"
#include "swf/MovieFacts.h"
#include "swf/MovieWriter.h"

namespace vellix::swf {
namespace {

using testing::View;

struct Written {
  const char* name;
  MovieSpec spec;
  int frames;
};

// A movie of `frames` frames, each with something on it.
std::string Write(const Written& w) {
  MovieWriter movie(w.spec);
  const CharacterId box = movie.DefineRectangle(40, 30, Rgb{10, 20, 30});
  for (int i = 0; i < w.frames; ++i) {
    movie.root().Place(static_cast<std::uint16_t>(i + 1), box, i * 5, i * 3);
    movie.root().ShowFrame();
  }
  return movie.Finish();
}

const Written kMovies[] = {
    {"demo-sized", {8, 800, 600, 24, {255, 255, 255}}, 3},
    {"one pixel, one frame", {8, 1, 1, 1, {0, 0, 0}}, 1},
    {"odd size, fractional rate", {8, 1023, 767, 12.5, {0x12, 0x34, 0x56}}, 2},
    {"large stage needs wide fields", {8, 8000, 6000, 60, {200, 100, 0}}, 1},
    {"slowest rate", {8, 320, 240, 1.0 / 256, {1, 2, 3}}, 1},
    {"version 6: no file attributes", {6, 550, 400, 30, {9, 9, 9}}, 2},
    {"version 10", {10, 640, 480, 25, {250, 240, 230}}, 4},
    {"many frames", {8, 100, 100, 24, {7, 7, 7}}, 300},
};

void ExpectFacts(const MovieFacts& f, const Written& w, std::size_t uncompressedSize, Compression compression) {
  EXPECT_EQ(f.compression, compression);
  EXPECT_EQ(f.version, w.spec.version);
  EXPECT_EQ(f.fileLength, uncompressedSize);
  EXPECT_EQ(f.xMin, 0);
  EXPECT_EQ(f.yMin, 0);
  EXPECT_EQ(f.widthTwips(), w.spec.width * 20);
  EXPECT_EQ(f.heightTwips(), w.spec.height * 20);
  EXPECT_EQ(f.widthPixels(), w.spec.width);
  EXPECT_EQ(f.heightPixels(), w.spec.height);
  EXPECT_DOUBLE_EQ(f.frameRate(), w.spec.frameRate);
  EXPECT_EQ(f.frameCount, w.frames);
  ASSERT_TRUE(f.background);
  EXPECT_EQ(*f.background, w.spec.background);
  EXPECT_EQ(f.fileAttributes.has_value(), w.spec.version >= 8);
  if (f.fileAttributes) {
    EXPECT_EQ(*f.fileAttributes, 0u);
  }
  EXPECT_FALSE(f.actionScript3());
  EXPECT_FALSE(f.hasAbc);
}

TEST(MovieFacts, WrittenMoviesReadBackWithEveryFact) {
  for (const auto& w : kMovies) {
    SCOPED_TRACE(w.name);
    const std::string plain = Write(w);
    for (const auto& [bytes, compression] :
         {std::pair{plain, Compression::kNone}, std::pair{CompressMovie(plain), Compression::kZlib}}) {
      SCOPED_TRACE(DescribeCompression(compression));
      const MovieRead first = ReadMovieFacts(View(bytes));
      ASSERT_TRUE(first.ok()) << DescribeMovieError(first.error);
      ExpectFacts(first.facts, w, plain.size(), compression);
      EXPECT_EQ(first.facts.framesFound, 1u);  // the scan stops after frame 1

      const MovieRead whole = ReadMovieFacts(View(bytes), MovieScan::kWholeMovie);
      ASSERT_TRUE(whole.ok()) << DescribeMovieError(whole.error);
      ExpectFacts(whole.facts, w, plain.size(), compression);
      EXPECT_EQ(whole.facts.framesFound, static_cast<std::uint32_t>(w.frames));
      EXPECT_TRUE(whole.facts.hasEndTag);
    }
  }
}

TEST(MovieFacts, CompressionKeepsTheUncompressedLength) {
  const std::string plain = Write(kMovies[7]);
  const std::string packed = CompressMovie(plain);
  EXPECT_LT(packed.size(), plain.size());
  EXPECT_EQ(packed.substr(0, 8), "CWS" + plain.substr(3, 5));
  EXPECT_EQ(CompressMovie(packed), packed);  // only FWS is compressed
}

// An FWS movie from its parts: header fields, then body bytes as given.
std::string Fws(std::uint32_t length, const std::string& body, char version = 8) {
  std::string m = "FWS";
  m += version;
  for (int i = 0; i < 4; ++i) m += static_cast<char>((length >> (8 * i)) & 0xFF);
  return m + body;
}

// A stage of 0..20 twips each way (6-bit fields), rate 24, 1 frame.
const std::string kSmallHeader = std::string("\x30\x0A\x00\xA0\x00\x18\x01\x00", 8);

std::string Tag(int code, const std::string& body) {
  std::string t;
  const std::uint32_t head = (static_cast<std::uint32_t>(code) << 6) | static_cast<std::uint32_t>(body.size());
  t += static_cast<char>(head & 0xFF);
  t += static_cast<char>(head >> 8);
  return t + body;
}

std::string WithLength(const std::string& body) { return Fws(static_cast<std::uint32_t>(8 + body.size()), body); }

TEST(MovieFacts, SmallHandMadeMoviesGiveTheirFacts) {
  struct Case {
    const char* name;
    std::string movie;
    bool as3;
    bool abc;
    bool background;
    bool surplus = false;
  } cases[] = {
      {"no tags at all", WithLength(kSmallHeader), false, false, false},
      {"ActionScript 3 flag and code", WithLength(kSmallHeader + Tag(69, std::string("\x08\0\0\0", 4)) +
                                                  Tag(82, "abc") + Tag(1, "") + Tag(0, "")),
       true, true, false},
      {"flag without code", WithLength(kSmallHeader + Tag(69, std::string("\x08\0\0\0", 4)) + Tag(0, "")), true, false,
       false},
      {"code without the flag runs as ActionScript 2",
       WithLength(kSmallHeader + Tag(69, std::string(4, '\0')) + Tag(82, "abc") + Tag(0, "")), false, true, false},
      {"background after other tags",
       WithLength(kSmallHeader + Tag(12, std::string(1, '\0')) + Tag(9, "\x01\x02\x03") + Tag(1, "")), false, false,
       true},
      {"long tag header", WithLength(kSmallHeader + std::string("\x7F\x02\x03\x00\x00\x00", 6) + "\x01\x02\x03"),
       false, false, true},
      {"trailing bytes beyond the file length are ignored",
       Fws(8 + 8 + 2, kSmallHeader + Tag(0, "") + "junk"), false, false, false, true},
      {"compressed data beyond the file length is ignored",
       CompressMovie(Fws(8 + 8 + 2, kSmallHeader + Tag(0, "") + "junk")), false, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (MovieScan scan : {MovieScan::kFirstFrame, MovieScan::kWholeMovie}) {
      const MovieRead read = ReadMovieFacts(View(c.movie), scan);
      ASSERT_TRUE(read.ok()) << DescribeMovieError(read.error);
      EXPECT_EQ(read.facts.widthTwips(), 20);
      EXPECT_EQ(read.facts.heightTwips(), 20);
      EXPECT_EQ(read.facts.frameRate(), 24);
      EXPECT_EQ(read.facts.actionScript3(), c.as3);
      EXPECT_EQ(read.facts.hasAbc, c.abc);
      EXPECT_EQ(read.facts.background.has_value(), c.background);
      EXPECT_EQ(read.facts.surplusData, c.surplus && scan == MovieScan::kWholeMovie);
      if (c.background) {
        EXPECT_EQ(*read.facts.background, (Rgb{1, 2, 3}));
      }
    }
  }
}

void ExpectError(const std::string& bytes, MovieScan scan, MovieError expected) {
  const MovieRead read = ReadMovieFacts(View(bytes), scan);
  EXPECT_EQ(read.error, expected) << "got: " << DescribeMovieError(read.error);
}

TEST(MovieFacts, EveryCutOfAMovieIsAnError) {
  const std::string plain = Write(kMovies[0]);
  const std::string packed = CompressMovie(plain);
  for (std::size_t cut = 0; cut < plain.size(); ++cut) {
    SCOPED_TRACE("FWS cut at " + std::to_string(cut));
    const std::string bytes = plain.substr(0, cut);
    const MovieError expected = cut == 0 ? MovieError::kNotAMovie
                                : cut < 8 ? MovieError::kTruncatedHeader
                                          : MovieError::kTruncated;
    ExpectError(bytes, MovieScan::kFirstFrame, expected);
    ExpectError(bytes, MovieScan::kWholeMovie, expected);
  }
  for (std::size_t cut = 0; cut < packed.size(); ++cut) {
    SCOPED_TRACE("CWS cut at " + std::to_string(cut));
    const std::string bytes = packed.substr(0, cut);
    const MovieRead whole = ReadMovieFacts(View(bytes), MovieScan::kWholeMovie);
    EXPECT_FALSE(whole.ok());
    if (cut >= 8) {
      // A zlib stream cut short, even within its checksum.
      EXPECT_TRUE(whole.error == MovieError::kTruncated || whole.error == MovieError::kBadZlibData)
          << DescribeMovieError(whole.error);
    }
  }
}

TEST(MovieFacts, BrokenMoviesGiveTheirError) {
  const std::string plain = Write(kMovies[0]);
  const std::string packed = CompressMovie(plain);
  auto patched = [](std::string s, std::size_t at, const std::string& bytes) { return s.replace(at, bytes.size(), bytes); };
  auto length = [](std::uint32_t n) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((n >> (8 * i)) & 0xFF);
    return s;
  };
  const auto size = static_cast<std::uint32_t>(plain.size());
  struct Case {
    const char* name;
    std::string bytes;
    MovieError first;  // the error of a first-frame scan
    MovieError whole;  // ... and of a whole-movie scan
  } cases[] = {
      {"empty file", "", MovieError::kNotAMovie, MovieError::kNotAMovie},
      {"a picture", "\x89PNG\r\n\x1a\n....", MovieError::kNotAMovie, MovieError::kNotAMovie},
      {"lower-case signature", "fws" + plain.substr(3), MovieError::kNotAMovie, MovieError::kNotAMovie},
      {"unknown compression", "XWS" + plain.substr(3), MovieError::kUnknownCompression,
       MovieError::kUnknownCompression},
      {"file length below the header", patched(plain, 4, length(7)), MovieError::kBadFileLength,
       MovieError::kBadFileLength},
      {"file length leaves no room for the stage", patched(plain, 4, length(9)), MovieError::kBadFileLength,
       MovieError::kBadFileLength},
      {"file length larger than the file", patched(plain, 4, length(size + 1)), MovieError::kTruncated,
       MovieError::kTruncated},
      {"file length cuts into the tags", patched(plain, 4, length(size - 3)), MovieError::kNone,
       MovieError::kBadTagLength},
      {"compressed file length larger than the body", patched(packed, 4, length(size + 100)), MovieError::kNone,
       MovieError::kTruncated},
      {"compressed file length smaller than the body", patched(packed, 4, length(size - 1)), MovieError::kNone,
       MovieError::kBadTagLength},
      {"zlib header broken", patched(packed, 8, "\xFF\xFF"), MovieError::kBadZlibData, MovieError::kBadZlibData},
      // A body this small is inflated in one go, checksum included.
      {"zlib checksum broken", patched(packed, packed.size() - 1, std::string(1, ~packed.back())),
       MovieError::kBadZlibData, MovieError::kBadZlibData},
      {"tag longer than the movie", WithLength(kSmallHeader + "\x43\x02" + "\x01\x02"), MovieError::kBadTagLength,
       MovieError::kBadTagLength},
      {"long tag length beyond 4 GB of movie",
       WithLength(kSmallHeader + std::string("\x7F\x02\xFF\xFF\xFF\xFF", 6)), MovieError::kBadTagLength,
       MovieError::kBadTagLength},
      {"tag header cut in half", WithLength(kSmallHeader + "\x40"), MovieError::kBadTagLength,
       MovieError::kBadTagLength},
      {"background with two colours", WithLength(kSmallHeader + Tag(9, "\x01\x02")), MovieError::kBadTag,
       MovieError::kBadTag},
      {"file attributes too short", WithLength(kSmallHeader + Tag(69, "\x08")), MovieError::kBadTag,
       MovieError::kBadTag},
      {"stage narrower than nothing", WithLength(std::string("\x32\x80\x00\xA0\x00\x18\x01\x00", 8)),
       MovieError::kBadStageSize, MovieError::kBadStageSize},
      {"LZMA header cut", "ZWS\x0d" + length(100) + "\x05", MovieError::kTruncatedHeader,
       MovieError::kTruncatedHeader},
      {"LZMA properties out of range", "ZWS\x0d" + length(100) + length(5) + "\xE1" + length(1 << 16) + std::string(5, '\0'),
       MovieError::kBadLzmaData, MovieError::kBadLzmaData},
      {"LZMA data not starting with 0", "ZWS\x0d" + length(100) + length(5) + "\x5D" + length(1 << 16) + std::string("\x01\0\0\0\0", 5),
       MovieError::kBadLzmaData, MovieError::kBadLzmaData},
      {"LZMA compressed length beyond the file",
       "ZWS\x0d" + length(100) + length(50) + "\x5D" + length(1 << 16) + std::string(5, '\0'), MovieError::kTruncated,
       MovieError::kTruncated},
      {"LZMA data ends early", "ZWS\x0d" + length(100) + length(5) + "\x5D" + length(1 << 16) + std::string(5, '\0'),
       MovieError::kTruncated, MovieError::kTruncated},
      {"claims 4 GB of zlib data", patched(packed, 4, length(0xFFFFFFFF)), MovieError::kNone, MovieError::kTooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectError(c.bytes, MovieScan::kFirstFrame, c.first);
    ExpectError(c.bytes, MovieScan::kWholeMovie, c.whole);
  }
}

}  // namespace
}  // namespace vellix::swf
