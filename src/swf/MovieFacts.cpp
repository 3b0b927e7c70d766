#include "swf/MovieFacts.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "swf/Lzma.h"

namespace vellix::swf {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kLzmaHeaderSize = 17;  // header, compressed length, properties

constexpr std::uint16_t kTagEnd = 0;
constexpr std::uint16_t kTagShowFrame = 1;
constexpr std::uint16_t kTagSetBackgroundColor = 9;
constexpr std::uint16_t kTagFileAttributes = 69;
constexpr std::uint16_t kTagDoAbcOld = 72;
constexpr std::uint16_t kTagDoAbc = 82;

// The body of a movie (everything after its 8-byte header), decompressed on
// demand: Need(n) makes the first n bytes available.
class MovieBody {
 public:
  MovieBody(Compression compression, ByteView input, std::size_t length) : compression_(compression), length_(length) {
    if (compression_ == Compression::kNone) {
      plain_ = input;
    } else if (compression_ == Compression::kZlib) {
      zlib_ = std::make_unique<z_stream>();
      *zlib_ = z_stream{};
      zlib_->next_in = const_cast<Bytef*>(input.data);
      zlib_->avail_in = static_cast<uInt>(std::min<std::size_t>(input.size, UINT_MAX));
      if (inflateInit(zlib_.get()) != Z_OK) {
        zlib_.reset();
        error_ = MovieError::kBadZlibData;
      }
    }
  }
  MovieBody(const std::uint8_t (&properties)[5], ByteView input, std::size_t length)
      : compression_(Compression::kLzma), length_(length) {
    lzma_ = std::make_unique<LzmaDecoder>(properties, input, length);
    if (lzma_->error() != LzmaError::kNone) error_ = MovieError::kBadLzmaData;
  }
  ~MovieBody() {
    if (zlib_) inflateEnd(zlib_.get());
  }
  MovieBody(const MovieBody&) = delete;
  MovieBody& operator=(const MovieBody&) = delete;

  std::size_t length() const { return length_; }
  MovieError error() const { return error_; }

  // False, with error() set, when the first `end` bytes cannot be had.
  bool Need(std::size_t end) {
    if (error_ != MovieError::kNone) return false;
    if (end > length_) return Fail(MovieError::kBadTagLength);
    if (end > kMaxDecompressedBody && compression_ != Compression::kNone) return Fail(MovieError::kTooLarge);
    switch (compression_) {
      case Compression::kNone:
        return true;
      case Compression::kZlib:
        return NeedZlib(end);
      case Compression::kLzma:
        return NeedLzma(end);
    }
    return false;
  }

  // For a whole-movie scan: the compressed stream must be complete, its
  // checksum intact. True with `surplus` set when it holds more than the
  // body's length.
  bool CheckStreamEnd(bool& surplus) {
    if (compression_ != Compression::kZlib || zlibEnded_) return error_ == MovieError::kNone;
    for (std::uint8_t scratch[4096];;) {
      zlib_->next_out = scratch;
      zlib_->avail_out = sizeof scratch;
      const int r = inflate(zlib_.get(), Z_NO_FLUSH);
      if (zlib_->avail_out != sizeof scratch) surplus = true;
      if (r == Z_STREAM_END) return true;
      if (r == Z_OK) continue;
      return Fail(r == Z_BUF_ERROR && zlib_->avail_in == 0 ? MovieError::kTruncated : MovieError::kBadZlibData);
    }
  }

  ByteView view() const {
    if (compression_ == Compression::kNone) return {plain_.data, std::min(plain_.size, length_)};
    if (compression_ == Compression::kLzma) return {lzma_->output().data(), lzma_->output().size()};
    return {inflated_.data(), inflated_.size()};
  }

 private:
  bool Fail(MovieError e) {
    error_ = e;
    return false;
  }

  bool NeedZlib(std::size_t end) {
    while (inflated_.size() < end) {
      if (zlibEnded_) return Fail(MovieError::kTruncated);
      const std::size_t old = inflated_.size();
      const std::size_t chunk = std::min(std::max<std::size_t>(end - old, 1 << 16), length_ - old);
      inflated_.resize(old + chunk);
      zlib_->next_out = inflated_.data() + old;
      zlib_->avail_out = static_cast<uInt>(chunk);
      const int r = inflate(zlib_.get(), Z_NO_FLUSH);
      inflated_.resize(old + chunk - zlib_->avail_out);
      if (r == Z_STREAM_END) {
        zlibEnded_ = true;
      } else if (r == Z_BUF_ERROR) {
        // No progress: the input is used up (a cut file) or the stream stalls.
        return Fail(zlib_->avail_in == 0 ? MovieError::kTruncated : MovieError::kBadZlibData);
      } else if (r != Z_OK) {
        return Fail(MovieError::kBadZlibData);
      }
    }
    return true;
  }

  bool NeedLzma(std::size_t end) {
    if (lzma_->DecodeTo(end)) return true;
    return Fail(lzma_->error() == LzmaError::kTruncated ? MovieError::kTruncated
                : lzma_->error() == LzmaError::kEndedEarly ? MovieError::kTruncated
                                                            : MovieError::kBadLzmaData);
  }

  Compression compression_;
  std::size_t length_;
  MovieError error_ = MovieError::kNone;
  ByteView plain_;
  std::unique_ptr<z_stream> zlib_;
  bool zlibEnded_ = false;
  std::vector<std::uint8_t> inflated_;
  std::unique_ptr<LzmaDecoder> lzma_;
};

// Reads the body's rectangle, rate, count and tags into `read`.
void ReadBody(MovieBody& body, MovieScan scan, MovieRead& read) {
  MovieFacts& f = read.facts;
  auto fail = [&](MovieError fallback) {
    read.error = body.error() != MovieError::kNone ? body.error() : fallback;
  };
  // The rectangle's size follows from its first 5 bits.
  if (body.length() < 1) return fail(MovieError::kBadFileLength);
  if (!body.Need(1)) return fail(MovieError::kTruncated);
  const int bits = body.view().data[0] >> 3;
  const std::size_t rectBytes = (5 + 4 * static_cast<std::size_t>(bits) + 7) / 8;
  if (rectBytes + 4 > body.length()) return fail(MovieError::kBadFileLength);
  if (!body.Need(rectBytes + 4)) return fail(MovieError::kTruncated);

  BitReader rect({body.view().data, rectBytes});
  std::uint32_t n = 0;
  rect.Unsigned(5, n);
  rect.Signed(bits, f.xMin);
  rect.Signed(bits, f.xMax);
  rect.Signed(bits, f.yMin);
  rect.Signed(bits, f.yMax);
  ByteReader counts({body.view().data + rectBytes, 4});
  counts.U16(f.frameRate88);
  counts.U16(f.frameCount);
  if (f.xMax < f.xMin || f.yMax < f.yMin) return fail(MovieError::kBadStageSize);

  std::size_t pos = rectBytes + 4;
  while (pos < body.length()) {
    // Tag header: short form, then the long length when the short one is 63.
    if (!body.Need(pos + 2)) return fail(MovieError::kBadTagLength);
    ByteReader header({body.view().data + pos, body.view().size - pos});
    std::uint16_t codeAndLength = 0;
    header.U16(codeAndLength);
    const std::uint16_t code = codeAndLength >> 6;
    std::uint32_t length = codeAndLength & 0x3F;
    if (length == 0x3F) {
      if (!body.Need(pos + 6)) return fail(MovieError::kBadTagLength);
      header = ByteReader({body.view().data + pos + 2, 4});
      header.U32(length);
      pos += 4;
    }
    pos += 2;
    if (length > body.length() - pos) return fail(MovieError::kBadTagLength);
    const std::size_t end = pos + length;
    const bool needed = scan == MovieScan::kWholeMovie || code == kTagSetBackgroundColor ||
                        code == kTagFileAttributes;
    if (needed && !body.Need(end)) return fail(MovieError::kTruncated);
    ByteReader tag({body.view().data + pos, needed ? length : 0});

    if (code == kTagSetBackgroundColor && !f.background) {
      Rgb c;
      if (!tag.U8(c.r) || !tag.U8(c.g) || !tag.U8(c.b)) return fail(MovieError::kBadTag);
      f.background = c;
    } else if (code == kTagFileAttributes && !f.fileAttributes) {
      std::uint32_t flags = 0;
      if (!tag.U32(flags)) return fail(MovieError::kBadTag);
      f.fileAttributes = flags;
    } else if (code == kTagDoAbc || code == kTagDoAbcOld) {
      f.hasAbc = true;
    }
    pos = end;
    if (code == kTagEnd) {
      f.hasEndTag = true;
      break;
    }
    if (code == kTagShowFrame) {
      ++f.framesFound;
      if (scan == MovieScan::kFirstFrame) return;
    }
  }
  if (scan == MovieScan::kWholeMovie) {
    if (!body.Need(body.length()) || !body.CheckStreamEnd(f.surplusData)) return fail(MovieError::kTruncated);
  }
}

}  // namespace

MovieRead ReadMovieFacts(ByteView bytes, MovieScan scan) {
  MovieRead read;
  MovieFacts& f = read.facts;
  auto failed = [&](MovieError e) {
    read.error = e;
    return read;
  };
  if (bytes.size < 3) return failed(bytes.size == 0 ? MovieError::kNotAMovie : MovieError::kTruncatedHeader);
  const std::uint8_t* b = bytes.data;
  if (b[1] != 'W' || b[2] != 'S') return failed(MovieError::kNotAMovie);
  if (b[0] == 'F') {
    f.compression = Compression::kNone;
  } else if (b[0] == 'C') {
    f.compression = Compression::kZlib;
  } else if (b[0] == 'Z') {
    f.compression = Compression::kLzma;
  } else {
    return failed(MovieError::kUnknownCompression);
  }
  ByteReader header(bytes);
  std::uint8_t version = 0;
  if (!header.Skip(3) || !header.U8(version) || !header.U32(f.fileLength))
    return failed(MovieError::kTruncatedHeader);
  f.version = version;
  if (f.fileLength < kHeaderSize) return failed(MovieError::kBadFileLength);
  const std::size_t bodyLength = f.fileLength - kHeaderSize;
  const ByteView rest{bytes.data + kHeaderSize, bytes.size - kHeaderSize};

  if (f.compression == Compression::kNone) {
    if (bytes.size < f.fileLength) return failed(MovieError::kTruncated);
    f.surplusData = scan == MovieScan::kWholeMovie && bytes.size > f.fileLength;
    MovieBody body(Compression::kNone, rest, bodyLength);
    ReadBody(body, scan, read);
  } else if (f.compression == Compression::kZlib) {
    MovieBody body(Compression::kZlib, rest, bodyLength);
    if (body.error() != MovieError::kNone) return failed(body.error());
    ReadBody(body, scan, read);
  } else {
    std::uint32_t compressedLength = 0;
    std::uint8_t properties[5] = {};
    if (!header.U32(compressedLength)) return failed(MovieError::kTruncatedHeader);
    for (auto& p : properties) {
      if (!header.U8(p)) return failed(MovieError::kTruncatedHeader);
    }
    if (compressedLength > bytes.size - kLzmaHeaderSize) return failed(MovieError::kTruncated);
    MovieBody body(properties, {bytes.data + kLzmaHeaderSize, compressedLength}, bodyLength);
    if (body.error() != MovieError::kNone) return failed(body.error());
    ReadBody(body, scan, read);
  }
  return read;
}

const char* DescribeMovieError(MovieError error) {
  switch (error) {
    case MovieError::kNone:
      return "a movie";
    case MovieError::kNotAMovie:
      return "not a movie: the file does not start with FWS, CWS or ZWS";
    case MovieError::kUnknownCompression:
      return "unknown compression: the signature is neither FWS, CWS nor ZWS";
    case MovieError::kTruncatedHeader:
      return "the file is shorter than a movie's header";
    case MovieError::kBadFileLength:
      return "the header's file length does not fit the movie";
    case MovieError::kTruncated:
      return "the file ends before the movie does: it was cut short";
    case MovieError::kBadZlibData:
      return "the zlib-compressed data is corrupt";
    case MovieError::kBadLzmaData:
      return "the LZMA-compressed data is corrupt";
    case MovieError::kBadTagLength:
      return "a tag runs past the end of the movie";
    case MovieError::kBadTag:
      return "a tag is too short for its fields";
    case MovieError::kBadStageSize:
      return "the stage has a negative width or height";
    case MovieError::kTooLarge:
      return "the movie decompresses to more than 512 MB";
  }
  return "unknown movie error";
}

const char* DescribeCompression(Compression compression) {
  switch (compression) {
    case Compression::kNone:
      return "uncompressed (FWS)";
    case Compression::kZlib:
      return "zlib (CWS)";
    case Compression::kLzma:
      return "LZMA (ZWS)";
  }
  return "unknown";
}

}  // namespace vellix::swf
