// Our LZMA decoder against liblzma's encoder, and LZMA-compressed movies.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "LibLzma_posix.h"
#include "MovieParts.h"
#include "swf/Lzma.h"
#include "swf/MovieFacts.h"
#include "swf/MovieWriter.h"

namespace vellix::swf {
namespace {

using testing::LzmaEncode;
using testing::LzmaSettings;
using testing::View;

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

// Text with repeats at many distances, so that every kind of match occurs.
std::string Repetitive(std::size_t n) {
  std::mt19937 rng(5);
  const std::string words[] = {"전자책 ", "페이지 ", "function_saveTextFile@@@", "_level0.firstIndex", "\x00\x01\x02", "a"};
  std::string s;
  while (s.size() < n) {
    if (rng() % 7 == 0 && s.size() > 300) {
      const std::size_t from = rng() % (s.size() - 280);
      s += s.substr(from, 2 + rng() % 270);
    } else {
      s += words[rng() % 6];
    }
  }
  s.resize(n);
  return s;
}

struct Sample {
  const char* name;
  std::string data;
};

std::string Decode(const std::string& encoded, std::size_t size, std::size_t step, LzmaError& error) {
  std::uint8_t props[5];
  for (int i = 0; i < 5; ++i) props[i] = static_cast<std::uint8_t>(encoded[i]);
  LzmaDecoder decoder(props, {reinterpret_cast<const std::uint8_t*>(encoded.data()) + 5, encoded.size() - 5}, size);
  for (std::size_t wanted = step; decoder.DecodeTo(wanted) && decoder.output().size() < size; wanted += step) {
  }
  error = decoder.error();
  return std::string(decoder.output().begin(), decoder.output().end());
}

TEST(Lzma, DecodesWhatLiblzmaEncodes) {
  const Sample samples[] = {
      {"one byte", "x"},
      {"random bytes: literals only", RandomBytes(20000, 1)},
      {"repetitive text: matches and repeats", Repetitive(200000)},
      {"one long run: the longest lengths", std::string(100000, 'z')},
      {"mixed", RandomBytes(3000, 2) + Repetitive(30000) + RandomBytes(3000, 3)},
  };
  const LzmaSettings settings[] = {
      {6, 3, 0, 2, 1u << 20, false},  {6, 3, 0, 2, 1u << 20, true}, {0, 0, 2, 0, 1u << 16, false},
      {9, 4, 0, 4, 1u << 22, false},  {6, 1, 3, 1, 4096, true},     {2, 0, 4, 2, 1u << 12, false},
  };
  for (const auto& sample : samples) {
    for (const auto& s : settings) {
      SCOPED_TRACE(std::string(sample.name) + ", lc " + std::to_string(s.lc) + " lp " + std::to_string(s.lp) + " pb " +
                   std::to_string(s.pb) + (s.endMarker ? ", end marker" : ""));
      const std::string encoded = LzmaEncode(sample.data, s);
      for (std::size_t step : {std::size_t{1} << 30, std::size_t{777}}) {
        LzmaError error = LzmaError::kCorrupt;
        const std::string decoded = Decode(encoded, sample.data.size(), step, error);
        EXPECT_EQ(error, LzmaError::kNone);
        EXPECT_TRUE(decoded == sample.data) << "decoded " << decoded.size() << " of " << sample.data.size();
      }
    }
  }
}

TEST(Lzma, ReportsBrokenStreams) {
  const std::string data = Repetitive(5000);
  const std::string good = LzmaEncode(data, {});
  const std::string withEnd = LzmaEncode(data, {6, 3, 0, 2, 1u << 20, true});
  struct Case {
    const char* name;
    std::string encoded;
    std::size_t size;
    LzmaError error;
  } cases[] = {
      {"cut in the middle", good.substr(0, good.size() / 2), data.size(), LzmaError::kTruncated},
      {"cut before the range coder's code", good.substr(0, 8), data.size(), LzmaError::kTruncated},
      {"properties only", good.substr(0, 5), data.size(), LzmaError::kTruncated},
      {"end marker before the size", withEnd, data.size() + 10, LzmaError::kEndedEarly},
      {"first byte not zero", good.substr(0, 5) + "\x01" + good.substr(6), data.size(), LzmaError::kCorrupt},
      {"a match before any byte", good.substr(0, 5) + std::string("\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 9),
       data.size(), LzmaError::kCorrupt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LzmaError error = LzmaError::kNone;
    Decode(c.encoded, c.size, 1u << 30, error);
    EXPECT_EQ(error, c.error);
  }
}

TEST(Lzma, DecodesNoFurtherThanAsked) {
  const std::string data = Repetitive(100000);
  const std::string encoded = LzmaEncode(data, {});
  std::uint8_t props[5];
  for (int i = 0; i < 5; ++i) props[i] = static_cast<std::uint8_t>(encoded[i]);
  LzmaDecoder decoder(props, {reinterpret_cast<const std::uint8_t*>(encoded.data()) + 5, encoded.size() - 5},
                      data.size());
  ASSERT_TRUE(decoder.DecodeTo(100));
  // A match may finish past the size asked for, never past 273 more bytes.
  EXPECT_GE(decoder.output().size(), 100u);
  EXPECT_LE(decoder.output().size(), 100u + 273);
  EXPECT_EQ(std::string(decoder.output().begin(), decoder.output().end()), data.substr(0, decoder.output().size()));
}

TEST(MovieFactsLzma, LzmaMoviesReadLikeTheirUncompressedSelves) {
  MovieWriter movie({8, 640, 480, 30, {1, 2, 3}});
  const CharacterId box = movie.DefineRectangle(10, 10, Rgb{4, 5, 6});
  for (int i = 0; i < 40; ++i) movie.root().Place(1, box, i, i).ShowFrame();
  const std::string plain = movie.Finish();
  const std::string zws = testing::ZwsFromFws(plain);
  const MovieRead fws = ReadMovieFacts(View(plain), MovieScan::kWholeMovie);
  ASSERT_TRUE(fws.ok());
  for (MovieScan scan : {MovieScan::kFirstFrame, MovieScan::kWholeMovie}) {
    const MovieRead read = ReadMovieFacts(View(zws), scan);
    ASSERT_TRUE(read.ok()) << DescribeMovieError(read.error);
    EXPECT_EQ(read.facts.compression, Compression::kLzma);
    EXPECT_EQ(read.facts.fileLength, plain.size());
    EXPECT_EQ(read.facts.widthTwips(), 640 * 20);
    EXPECT_EQ(read.facts.heightTwips(), 480 * 20);
    EXPECT_EQ(read.facts.frameRate(), 30);
    EXPECT_EQ(read.facts.frameCount, 40);
    EXPECT_EQ(read.facts.background, fws.facts.background);
    EXPECT_EQ(read.facts.fileAttributes, fws.facts.fileAttributes);
  }
  EXPECT_EQ(ReadMovieFacts(View(zws), MovieScan::kWholeMovie).facts.framesFound, 40u);

  for (std::size_t cut = 0; cut < zws.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const MovieError expected = cut == 0 ? MovieError::kNotAMovie
                                : cut < 17 ? MovieError::kTruncatedHeader
                                           : MovieError::kTruncated;
    EXPECT_EQ(ReadMovieFacts(View(zws.substr(0, cut))).error, expected);
    EXPECT_EQ(ReadMovieFacts(View(zws.substr(0, cut)), MovieScan::kWholeMovie).error, expected);
  }
  // Corrupt data: an error or, LZMA having no checksum, other bytes; never a crash.
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    std::string bad = zws;
    bad[17 + rng() % (bad.size() - 17)] ^= static_cast<char>(1 + rng() % 255);
    const MovieRead read = ReadMovieFacts(View(bad), MovieScan::kWholeMovie);
    if (!read.ok()) {
      EXPECT_TRUE(read.error == MovieError::kBadLzmaData || read.error == MovieError::kTruncated ||
                  read.error == MovieError::kBadTagLength || read.error == MovieError::kBadTag ||
                  read.error == MovieError::kBadStageSize || read.error == MovieError::kBadFileLength)
          << DescribeMovieError(read.error);
    }
  }
}

}  // namespace
}  // namespace vellix::swf
