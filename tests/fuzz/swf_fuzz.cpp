// Feeds arbitrary bytes to the movie reader, as a whole file and as the body
// of each kind of movie, and checks what it says against other readings of
// the same bytes: the two scans, the three compressions, liblzma's decoder,
// and movies written from the input.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "swf/LibLzma_posix.h"
#include "swf/Lzma.h"
#include "swf/MovieFacts.h"
#include "swf/MovieWriter.h"

namespace {

using namespace vellix::swf;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "swf_fuzz: %s\n", what);
    std::abort();
  }
}

ByteView View(const std::string& s) { return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()}; }

bool SameFacts(const MovieFacts& a, const MovieFacts& b) {
  return a.version == b.version && a.fileLength == b.fileLength && a.xMin == b.xMin && a.xMax == b.xMax &&
         a.yMin == b.yMin && a.yMax == b.yMax && a.frameRate88 == b.frameRate88 && a.frameCount == b.frameCount &&
         a.background == b.background && a.fileAttributes == b.fileAttributes;
}

std::string Le32(std::uint32_t n) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((n >> (8 * i)) & 0xFF);
  return s;
}

// Both scans of one file; returns the whole-movie reading.
MovieRead ReadBoth(const std::string& bytes) {
  const MovieRead first = ReadMovieFacts(View(bytes), MovieScan::kFirstFrame);
  const MovieRead whole = ReadMovieFacts(View(bytes), MovieScan::kWholeMovie);
  if (whole.ok()) {
    // What the whole movie proves, its first frame shows alike.
    Check(first.ok(), "the whole movie reads but its first frame does not");
    Check(SameFacts(first.facts, whole.facts), "the two scans disagree");
    Check(first.facts.hasAbc <= whole.facts.hasAbc, "the first frame has code that the whole movie lacks");
  }
  if (first.ok()) {
    const MovieFacts& f = first.facts;
    Check(f.fileLength >= 8, "a movie shorter than its header");
    Check(f.widthTwips() >= 0 && f.heightTwips() >= 0, "a negative stage");
    if (f.compression == Compression::kNone) Check(bytes.size() >= f.fileLength, "an FWS movie longer than its file");
  }
  return whole;
}

// The input as the raw LZMA data of a small ZWS movie, decoded by us and by
// liblzma: the bytes both decode must agree.
void CompareLzma(const std::string& input) {
  if (input.size() < 8) return;
  std::uint8_t props[5] = {static_cast<std::uint8_t>(input[1] % 225), static_cast<std::uint8_t>(input[2]),
                           static_cast<std::uint8_t>(input[3]), 0, 0};
  const std::size_t expected = (static_cast<std::uint8_t>(input[4]) << 8 | static_cast<std::uint8_t>(input[5])) + 1;
  const std::string data = std::string(1, '\0') + input.substr(6);
  const ByteView view = View(data);
  LzmaDecoder ours(props, view, expected);
  const bool done = ours.DecodeTo(expected);
  const auto theirs = testing::LzmaReferenceDecode(props, view.data, view.size, expected);
  const std::size_t common = std::min(ours.output().size(), theirs.output.size());
  const std::string mine(ours.output().begin(), ours.output().end());
  Check(mine.compare(0, common, theirs.output, 0, common) == 0, "our LZMA decoder and liblzma decode different bytes");
  if (done && theirs.complete) Check(ours.output().size() == expected, "LZMA output of the wrong length");
  Check(ours.output().size() <= expected, "LZMA output beyond the expected size");

  const std::string zws = "ZWS\x0d" + Le32(static_cast<std::uint32_t>(8 + expected)) +
                          Le32(static_cast<std::uint32_t>(data.size())) + std::string(props, props + 5) + data;
  ReadBoth(zws);
}

// The input as a movie's body, uncompressed and zlib-compressed: the two must
// read alike.
void CompareCompressions(const std::string& body) {
  const std::string fws = "FWS\x08" + Le32(static_cast<std::uint32_t>(8 + body.size())) + body;
  const MovieRead plain = ReadBoth(fws);
  const std::string cws = CompressMovie(fws);
  const MovieRead packed = ReadBoth(cws);
  Check(plain.error == packed.error, "FWS and CWS of one body give different errors");
  if (plain.ok()) Check(SameFacts(plain.facts, packed.facts), "FWS and CWS of one body give different facts");
}

// A movie written from the input's bytes, read back exactly; then each of its
// bytes may be damaged without a crash.
void RoundTrip(const std::string& input) {
  if (input.size() < 12) return;
  auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(input[i]); };
  MovieSpec spec;
  spec.version = 6 + byte(1) % 10;
  spec.width = byte(2) * 40 + byte(3);
  spec.height = byte(4) * 30 + byte(5);
  spec.frameRate = (byte(6) + byte(7) / 256.0);
  spec.background = Rgb{byte(8), byte(9), byte(10)};
  MovieWriter movie(spec);
  const CharacterId font = movie.DefineDeviceFont("_sans");
  std::string text;
  for (std::size_t i = 12; i < input.size(); ++i) text += input[i] ? input[i] : ' ';
  TextFieldSpec field;
  field.font = font;
  field.text = text;
  field.variable = text.substr(0, 8);
  const CharacterId label = movie.DefineTextField(field);
  const CharacterId box = movie.DefineRectangle(byte(2), byte(3), spec.background, Outline{1 + byte(4) % 4, {}});
  ButtonSpec button;
  button.up = box;
  button.label = label;
  button.onRelease.FsCommand("", text);
  const CharacterId b = movie.DefineButton(button);
  const int frames = 1 + byte(11) % 5;
  for (int i = 0; i < frames; ++i) movie.root().Place(static_cast<std::uint16_t>(i + 1), i % 2 ? b : label, i, -i).ShowFrame();
  const std::string written = movie.Finish();

  for (const std::string& bytes : {written, CompressMovie(written)}) {
    const MovieRead read = ReadBoth(bytes);
    Check(read.ok(), "a written movie does not read back");
    const MovieFacts& f = read.facts;
    Check(f.version == spec.version && f.fileLength == written.size() && f.widthTwips() == spec.width * 20 &&
              f.heightTwips() == spec.height * 20 && f.frameRate88 == byte(6) * 256 + byte(7) &&
              f.frameCount == frames && f.framesFound == static_cast<std::uint32_t>(frames) && f.hasEndTag &&
              f.background == spec.background && f.fileAttributes.has_value() == (spec.version >= 8) &&
              !f.actionScript3(),
          "a written movie reads back with other facts");
    std::string damaged = bytes;
    damaged[(byte(0) * 131 + input.size()) % damaged.size()] ^= static_cast<char>(byte(1) | 1);
    ReadBoth(damaged);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  ReadBoth(input);
  if (size == 0) return 0;
  switch (data[0] % 4) {
    case 0:
      CompareCompressions(input.substr(1));
      break;
    case 1:
      CompareLzma(input);
      break;
    case 2:
      RoundTrip(input);
      break;
    default:
      // A valid header before arbitrary tags.
      CompareCompressions(std::string("\x30\x0A\x00\xA0\x00\x18\x01\x00", 8) + input.substr(1));
      break;
  }
  return 0;
}
