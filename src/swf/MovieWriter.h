#pragma once
// Writes ActionScript 2 movies from code: the stage, frames, rectangles,
// sprites, text fields in device fonts, buttons and actions. Sizes and
// positions are whole pixels; the file stores twips (1/20 pixel).
//
// Tags written (code, fields):
//   FileAttributes (69)      flags, 4 bytes, 0: ActionScript 2, local files
//   SetBackgroundColor (9)   red, green, blue
//   DefineShape (2)          id, bounds, one solid fill, optional outline,
//                            a closed path of four straight edges
//   DefineFont2 (48)         id, flags (wide codes), language, name, no glyphs:
//                            a device font the player supplies
//   DefineEditText (37)      id, bounds, flags, font, height, colour, layout,
//                            variable name, initial text
//   DefineButton2 (34)       id, menu flag, offset of the actions, records
//                            (states, character, depth, matrix, colour
//                            transform), then the release condition and its
//                            actions
//   DefineSprite (39)        id, frame count, the sprite's own control tags
//   PlaceObject2 (26)        flags, depth, character, matrix, name
//   RemoveObject2 (28)       depth
//   DoAction (12)            actions (Actions.h)
//   ShowFrame (1), End (0)
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "swf/Actions.h"
#include "swf/ByteWriter.h"
#include "swf/MovieFacts.h"
#include "swf/Rgb.h"

namespace vellix::swf {

using CharacterId = std::uint16_t;

struct MovieSpec {
  int version = 8;
  int width = 800;  // stage, pixels
  int height = 600;
  double frameRate = 24;  // frames per second, to 1/256
  Rgb background{255, 255, 255};
};

struct Outline {
  int width = 1;  // pixels
  Rgb color;
};

enum class TextAlign : std::uint8_t { kLeft = 0, kRight = 1, kCenter = 2, kJustify = 3 };

struct TextFieldSpec {
  int width = 100;  // pixels
  int height = 20;
  CharacterId font = 0;  // a DefineDeviceFont id
  int fontSize = 12;     // pixels
  Rgb color;
  std::string variable;  // the variable the field shows and edits; may be empty
  std::string text;      // initial text, UTF-8; may be empty
  bool editable = false;
  bool multiline = false;
  bool wordWrap = false;
  bool border = false;
  bool selectable = true;
  TextAlign align = TextAlign::kLeft;
  int maxLength = 0;  // 0: no limit
};

struct ButtonSpec {
  CharacterId up = 0;    // shown normally, and the area that takes the mouse
  CharacterId over = 0;  // under the mouse; 0: as up
  CharacterId down = 0;  // while pressed; 0: as over
  CharacterId label = 0; // drawn over every state; 0: none
  int labelX = 0, labelY = 0;  // the label's place in the button, pixels
  Actions onRelease;
};

// The control tags of one timeline, the movie's own or a sprite's.
class Timeline {
 public:
  // Puts a character at `depth`, its origin at (x, y) pixels; a name makes
  // it addressable from actions (name sprites and text fields, not shapes).
  Timeline& Place(std::uint16_t depth, CharacterId character, int x, int y, std::string_view name = {});
  Timeline& Remove(std::uint16_t depth);
  Timeline& Do(const Actions& actions);
  Timeline& ShowFrame();

  int frames() const { return frames_; }
  const std::string& tags() const { return tags_.bytes(); }

 private:
  ByteWriter tags_;
  int frames_ = 0;
};

// A movie under construction. Definitions come first in the file, in the
// order made, then the movie's own timeline.
class MovieWriter {
 public:
  explicit MovieWriter(const MovieSpec& spec);

  // A rectangle with its top-left corner at the origin.
  CharacterId DefineRectangle(int width, int height, Rgb fill, std::optional<Outline> outline = std::nullopt);
  // A font the player supplies by name: "_sans", "_serif", "_typewriter".
  CharacterId DefineDeviceFont(std::string_view name);
  CharacterId DefineTextField(const TextFieldSpec& spec);
  CharacterId DefineButton(const ButtonSpec& spec);
  CharacterId DefineSprite(const Timeline& timeline);

  Timeline& root() { return root_; }

  // The movie file, uncompressed ("FWS"). The movie's frame count is that of
  // its timeline (at least 1).
  std::string Finish() const;

 private:
  CharacterId NextId();
  void Definition(std::uint16_t code, const ByteWriter& body);

  MovieSpec spec_;
  ByteWriter definitions_;
  Timeline root_;
  CharacterId lastId_ = 0;
};

// Appends one tag (code and body) to `out`, in the short header form when
// the body is shorter than 63 bytes.
void WriteTag(ByteWriter& out, std::uint16_t code, std::string_view body);

// The movie recompressed with zlib ("CWS"); the file length field keeps the
// uncompressed length. Movies that are not "FWS" come back unchanged.
std::string CompressMovie(const std::string& movie);

}  // namespace vellix::swf
