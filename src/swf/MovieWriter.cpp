#include "swf/MovieWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace vellix::swf {

namespace {

constexpr int kTwipsPerPixel = 20;

enum : std::uint16_t {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagDefineShape = 2,
  kTagSetBackgroundColor = 9,
  kTagDoAction = 12,
  kTagPlaceObject2 = 26,
  kTagRemoveObject2 = 28,
  kTagDefineButton2 = 34,
  kTagDefineEditText = 37,
  kTagDefineSprite = 39,
  kTagDefineFont2 = 48,
  kTagFileAttributes = 69,
};

std::int32_t Twips(int pixels) { return static_cast<std::int32_t>(pixels) * kTwipsPerPixel; }

void WriteRect(ByteWriter& out, std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax) {
  int bits = 0;
  for (std::int32_t v : {xMin, xMax, yMin, yMax}) bits = std::max(bits, SignedBits(v));
  BitWriter b(out);
  b.Unsigned(5, static_cast<std::uint32_t>(bits));
  for (std::int32_t v : {xMin, xMax, yMin, yMax}) b.Signed(bits, v);
}

// A matrix that only moves: no scale, no rotation.
void WriteTranslation(ByteWriter& out, std::int32_t x, std::int32_t y) {
  const int bits = std::max(SignedBits(x), SignedBits(y));
  BitWriter b(out);
  b.Unsigned(1, 0);  // no scale
  b.Unsigned(1, 0);  // no rotation
  b.Unsigned(5, static_cast<std::uint32_t>(bits));
  b.Signed(bits, x);
  b.Signed(bits, y);
}


// A straight edge record of the given deltas, one of them 0.
void WriteEdge(BitWriter& b, std::int32_t dx, std::int32_t dy) {
  const bool vertical = dx == 0;
  const std::int32_t d = vertical ? dy : dx;
  const int bits = std::max(2, SignedBits(d));
  b.Unsigned(1, 1);  // edge
  b.Unsigned(1, 1);  // straight
  b.Unsigned(4, static_cast<std::uint32_t>(bits - 2));
  b.Unsigned(1, 0);  // not a general line
  b.Unsigned(1, vertical ? 1 : 0);
  b.Signed(bits, d);
}

}  // namespace

void WriteTag(ByteWriter& out, std::uint16_t code, std::string_view body) {
  if (body.size() < 0x3F) {
    out.U16((static_cast<std::uint32_t>(code) << 6) | static_cast<std::uint32_t>(body.size()));
  } else {
    out.U16((static_cast<std::uint32_t>(code) << 6) | 0x3F);
    out.U32(static_cast<std::uint32_t>(body.size()));
  }
  out.Raw(body);
}

Timeline& Timeline::Place(std::uint16_t depth, CharacterId character, int x, int y, std::string_view name) {
  ByteWriter b;
  b.U8(0x04 | 0x02 | (name.empty() ? 0 : 0x20));  // matrix, character, name
  b.U16(depth);
  b.U16(character);
  WriteTranslation(b, Twips(x), Twips(y));
  if (!name.empty()) b.CString(name);
  WriteTag(tags_, kTagPlaceObject2, b.bytes());
  return *this;
}

Timeline& Timeline::Remove(std::uint16_t depth) {
  ByteWriter b;
  b.U16(depth);
  WriteTag(tags_, kTagRemoveObject2, b.bytes());
  return *this;
}

Timeline& Timeline::Do(const Actions& actions) {
  WriteTag(tags_, kTagDoAction, actions.Assemble());
  return *this;
}

Timeline& Timeline::ShowFrame() {
  WriteTag(tags_, kTagShowFrame, {});
  ++frames_;
  return *this;
}

MovieWriter::MovieWriter(const MovieSpec& spec) : spec_(spec) {
  if (spec.version < 6 || spec.version > 255) throw std::invalid_argument("movies of version 6 and later hold UTF-8");
  if (spec.width < 0 || spec.height < 0 || spec.frameRate < 0 || spec.frameRate >= 256)
    throw std::invalid_argument("a stage size or frame rate out of range");
}

CharacterId MovieWriter::NextId() {
  if (lastId_ == 0xFFFF) throw std::invalid_argument("a movie holds at most 65535 characters");
  return ++lastId_;
}

void MovieWriter::Definition(std::uint16_t code, const ByteWriter& body) { WriteTag(definitions_, code, body.bytes()); }

CharacterId MovieWriter::DefineRectangle(int width, int height, Rgb fill, std::optional<Outline> outline) {
  const CharacterId id = NextId();
  const std::int32_t w = Twips(width), h = Twips(height);
  const std::int32_t pad = outline ? Twips(outline->width) / 2 : 0;
  ByteWriter b;
  b.U16(id);
  WriteRect(b, -pad, w + pad, -pad, h + pad);
  b.U8(1);  // one fill style: solid
  b.U8(0x00);
  b.U8(fill.r);
  b.U8(fill.g);
  b.U8(fill.b);
  b.U8(outline ? 1 : 0);  // line styles
  if (outline) {
    b.U16(static_cast<std::uint32_t>(Twips(outline->width)));
    b.U8(outline->color.r);
    b.U8(outline->color.g);
    b.U8(outline->color.b);
  }
  {
    BitWriter bits(b);
    const int lineBits = outline ? 1 : 0;
    bits.Unsigned(4, 1);  // fill index bits
    bits.Unsigned(4, static_cast<std::uint32_t>(lineBits));
    // Style change: line style (with an outline), fill 1, move to (0, 0).
    bits.Unsigned(1, 0);
    bits.Unsigned(1, 0);
    bits.Unsigned(1, outline ? 1 : 0);
    bits.Unsigned(1, 1);
    bits.Unsigned(1, 0);
    bits.Unsigned(1, 1);
    bits.Unsigned(5, 1);
    bits.Signed(1, 0);
    bits.Signed(1, 0);
    bits.Unsigned(1, 1);  // fill 1 is the first style
    if (outline) bits.Unsigned(1, 1);
    // Clockwise on screen, so that fill 1, on the right, is inside.
    WriteEdge(bits, w, 0);
    WriteEdge(bits, 0, h);
    WriteEdge(bits, -w, 0);
    WriteEdge(bits, 0, -h);
    bits.Unsigned(6, 0);  // end of shape
  }
  Definition(kTagDefineShape, b);
  return id;
}

CharacterId MovieWriter::DefineDeviceFont(std::string_view name) {
  if (name.size() > 255 || (!name.empty() && std::memchr(name.data(), 0, name.size())))
    throw std::invalid_argument("a font name is longer than 255 bytes or holds a zero byte");
  const CharacterId id = NextId();
  ByteWriter b;
  b.U16(id);
  b.U8(0x04);  // wide codes, as version 6 and later require
  b.U8(0);     // language
  b.U8(static_cast<std::uint32_t>(name.size()));
  b.Raw(name);
  b.U16(0);  // no glyphs
  b.U16(0);  // code table offset
  Definition(kTagDefineFont2, b);
  return id;
}

CharacterId MovieWriter::DefineTextField(const TextFieldSpec& spec) {
  if (spec.maxLength < 0 || spec.maxLength > 0xFFFF || spec.fontSize <= 0 || spec.fontSize > 3276)
    throw std::invalid_argument("a text field's length or font size out of range");
  const CharacterId id = NextId();
  ByteWriter b;
  b.U16(id);
  WriteRect(b, 0, Twips(spec.width), 0, Twips(spec.height));
  std::uint32_t first = 0x04;  // text colour
  if (!spec.text.empty()) first |= 0x80;
  if (spec.wordWrap) first |= 0x40;
  if (spec.multiline) first |= 0x20;
  if (!spec.editable) first |= 0x08;
  if (spec.maxLength > 0) first |= 0x02;
  if (spec.font != 0) first |= 0x01;
  std::uint32_t second = 0x20;  // layout
  if (!spec.selectable) second |= 0x10;
  if (spec.border) second |= 0x08;
  b.U8(first);
  b.U8(second);
  if (spec.font != 0) {
    b.U16(spec.font);
    b.U16(static_cast<std::uint32_t>(Twips(spec.fontSize)));
  }
  b.U8(spec.color.r);
  b.U8(spec.color.g);
  b.U8(spec.color.b);
  b.U8(0xFF);
  if (spec.maxLength > 0) b.U16(static_cast<std::uint32_t>(spec.maxLength));
  b.U8(static_cast<std::uint32_t>(spec.align));
  b.U16(0);  // left margin
  b.U16(0);  // right margin
  b.U16(0);  // indent
  b.U16(0);  // leading
  b.CString(spec.variable);
  if (!spec.text.empty()) b.CString(spec.text);
  Definition(kTagDefineEditText, b);
  return id;
}

CharacterId MovieWriter::DefineButton(const ButtonSpec& spec) {
  if (spec.up == 0) throw std::invalid_argument("a button needs a character for its up state");
  const CharacterId id = NextId();
  enum : std::uint32_t { kUp = 0x01, kOver = 0x02, kDown = 0x04, kHit = 0x08 };
  const CharacterId over = spec.over ? spec.over : spec.up;
  const CharacterId down = spec.down ? spec.down : over;
  ByteWriter records;
  auto record = [&records](std::uint32_t states, CharacterId character, std::uint16_t depth, int x, int y) {
    records.U8(states);
    records.U16(character);
    records.U16(depth);
    WriteTranslation(records, Twips(x), Twips(y));
    records.U8(0);  // colour transform without terms
  };
  // One record per distinct character, its states merged.
  struct Use {
    CharacterId character;
    std::uint32_t states;
  } uses[3] = {{spec.up, kUp | kHit}, {over, kOver}, {down, kDown}};
  for (int i = 0; i < 3; ++i) {
    if (uses[i].states == 0) continue;
    std::uint32_t states = uses[i].states;
    for (int j = i + 1; j < 3; ++j) {
      if (uses[j].character == uses[i].character) {
        states |= uses[j].states;
        uses[j].states = 0;
      }
    }
    record(states, uses[i].character, 1, 0, 0);
  }
  if (spec.label) record(kUp | kOver | kDown, spec.label, 2, spec.labelX, spec.labelY);

  ByteWriter b;
  b.U16(id);
  b.U8(0);  // not a menu button
  // The offset counts from this field to the first condition.
  b.U16(static_cast<std::uint32_t>(2 + records.size() + 1));
  b.Raw(records.bytes());
  b.U8(0);  // end of records
  b.U16(0);  // the last condition
  b.U8(0x08);  // released over the button
  b.U8(0x00);
  b.Raw(spec.onRelease.Assemble());
  Definition(kTagDefineButton2, b);
  return id;
}

CharacterId MovieWriter::DefineSprite(const Timeline& timeline) {
  const CharacterId id = NextId();
  ByteWriter b;
  b.U16(id);
  b.U16(static_cast<std::uint32_t>(std::max(1, timeline.frames())));
  b.Raw(timeline.tags());
  WriteTag(b, kTagEnd, {});
  Definition(kTagDefineSprite, b);
  return id;
}

std::string MovieWriter::Finish() const {
  ByteWriter out;
  out.Raw("FWS");
  out.U8(static_cast<std::uint32_t>(spec_.version));
  out.U32(0);  // file length, filled in below
  WriteRect(out, 0, Twips(spec_.width), 0, Twips(spec_.height));
  out.U16(static_cast<std::uint32_t>(std::lround(spec_.frameRate * 256)));
  out.U16(static_cast<std::uint32_t>(std::max(1, std::min(root_.frames(), 0xFFFF))));
  if (spec_.version >= 8) {
    ByteWriter attributes;
    attributes.U32(0);
    WriteTag(out, kTagFileAttributes, attributes.bytes());
  }
  ByteWriter colour;
  colour.U8(spec_.background.r);
  colour.U8(spec_.background.g);
  colour.U8(spec_.background.b);
  WriteTag(out, kTagSetBackgroundColor, colour.bytes());
  out.Raw(definitions_.bytes());
  out.Raw(root_.tags());
  WriteTag(out, kTagEnd, {});
  std::string bytes = out.bytes();
  const auto length = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return bytes;
}

std::string CompressMovie(const std::string& movie) {
  if (movie.size() < 8 || movie.compare(0, 3, "FWS") != 0) return movie;
  const std::size_t bodySize = movie.size() - 8;
  uLongf packedSize = compressBound(static_cast<uLong>(bodySize));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(movie.data() + 8),
                static_cast<uLong>(bodySize), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib could not compress the movie");
  packed.resize(packedSize);
  return "C" + movie.substr(1, 7) + packed;
}

}  // namespace vellix::swf
