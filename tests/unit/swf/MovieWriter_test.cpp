// The writer's bytes, read back with the test-side walkers of MovieParts.h.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "MovieParts.h"
#include "swf/Actions.h"
#include "swf/BridgeMovie.h"
#include "swf/MovieFacts.h"
#include "swf/MovieWriter.h"

namespace vellix::swf {
namespace {

using namespace std::string_literals;
using testing::CStringAt;
using testing::MovieTags;
using testing::U16At;
using testing::View;
using testing::WalkActions;
using testing::WalkTags;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(Actions, EncodesEachActionAsPlayersReadIt) {
  struct Case {
    const char* name;
    std::function<void(Actions&)> build;
    std::string bytes;  // without the closing End
  } cases[] = {
      {"UTF-8 text", [](Actions& a) { a.PushString("가"); }, "96 05 00 00 EA B0 80 00"},
      {"integer", [](Actions& a) { a.PushNumber(7); }, "96 05 00 07 07 00 00 00"},
      {"negative integer", [](Actions& a) { a.PushNumber(-1); }, "96 05 00 07 FF FF FF FF"},
      // Doubles: the high 32-bit half first, each half little-endian.
      {"fraction", [](Actions& a) { a.PushNumber(0.5); }, "96 09 00 06 00 00 E0 3F 00 00 00 00"},
      {"negative zero stays a double", [](Actions& a) { a.PushNumber(-0.0); }, "96 09 00 06 00 00 00 80 00 00 00 00"},
      {"beyond 32 bits", [](Actions& a) { a.PushNumber(4294967296.0); }, "96 09 00 06 00 00 F0 41 00 00 00 00"},
      {"true", [](Actions& a) { a.PushBool(true); }, "96 02 00 05 01"},
      {"null and undefined", [](Actions& a) { a.PushNull().PushUndefined(); }, "96 01 00 02 96 01 00 03"},
      {"register", [](Actions& a) { a.PushRegister(3); }, "96 02 00 04 03"},
      {"small and large constants", [](Actions& a) { a.PushConstant(5).PushConstant(300); },
       "96 02 00 08 05 96 03 00 09 2C 01"},
      {"constant pool", [](Actions& a) { a.ConstantPool({"a", "b"}); }, "88 06 00 02 00 61 00 62 00"},
      {"variables and members",
       [](Actions& a) { a.GetVariable().SetVariable().GetMember().SetMember().DefineLocal(); }, "1C 1D 4E 4F 3C"},
      {"calls", [](Actions& a) { a.CallFunction().CallMethod().NewObject().Return(); }, "3D 52 40 3E"},
      {"operators", [](Actions& a) { a.Add2().StringAdd().Equals2().Not().Less2().StrictEquals(); },
       "47 21 49 12 48 66"},
      {"gotoAndStop", [](Actions& a) { a.GotoAndStop(2); }, "81 02 00 02 00 07"},
      {"timeline", [](Actions& a) { a.Play().Stop().NextFrame().PrevFrame(); }, "06 07 04 05"},
      {"getTimer", [](Actions& a) { a.GetTime(); }, "34"},
      {"fscommand with fixed texts", [](Actions& a) { a.FsCommand("", "function_full"); },
       "83 19 00 " + Hex("FSCommand:\0function_full\0"s)},
      {"loadMovieNum", [](Actions& a) { a.PushString("b.swf").LoadMovieNum(0); },
       "96 07 00 00 62 2E 73 77 66 00 96 09 00 00 5F 6C 65 76 65 6C 30 00 9A 01 00 00"},
      {"loadVariablesNum into level 2", [](Actions& a) { a.PushString("m").LoadVariablesNum(2); },
       "96 03 00 00 6D 00 96 09 00 00 5F 6C 65 76 65 6C 32 00 9A 01 00 80"},
      {"store register", [](Actions& a) { a.StoreRegister(1); }, "87 01 00 01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Actions a;
    c.build(a);
    EXPECT_EQ(Hex(a.Assemble()), c.bytes + " 00");
    EXPECT_EQ(Hex(a.Assemble(false)), c.bytes);
    WalkActions(a.Assemble());
  }
}

TEST(Actions, JumpsReachTheirLabelsBothWays) {
  Actions a;
  const Actions::Label top = a.NewLabel();
  const Actions::Label skip = a.NewLabel();
  const Actions::Label end = a.NewLabel();
  a.Bind(top).Stop().Jump(skip).Play().Bind(skip).PushBool(true).If(top).Jump(end).Bind(end);
  // Stop at 0, Jump at 1 to 7, Play at 6, Push at 7, If at 12 to 0, Jump at 17 to 22 (the End).
  EXPECT_EQ(Hex(a.Assemble()), "07 99 02 00 01 00 06 96 02 00 05 01 9D 02 00 EF FF 99 02 00 00 00 00");
  WalkActions(a.Assemble());
}

TEST(Actions, FunctionBodiesFollowTheirRecord) {
  Actions body;
  const Actions::Label again = body.NewLabel();
  body.Bind(again).PushString("a").GetVariable().Not().If(again).Return();
  Actions a;
  a.DefineFunction("", {"a", "b"}, body).Pop();
  const std::string code = a.Assemble();
  // Name, 2 parameters, their names, the body's size; then the body itself.
  const std::string bodyCode = body.Assemble(false);
  EXPECT_EQ(Hex(code.substr(0, 12)), "9B 09 00 00 02 00 61 00 62 00 " + Hex(std::string(1, char(bodyCode.size()))) + " 00");
  EXPECT_EQ(code.substr(12, bodyCode.size()), bodyCode);
  EXPECT_EQ(Hex(code.substr(12 + bodyCode.size())), "17 00");
  WalkActions(code);
}

TEST(Actions, MisuseThrows) {
  struct Case {
    const char* name;
    std::function<void()> run;
  } cases[] = {
      {"unbound label", [] { Actions a; a.Jump(a.NewLabel()).Assemble(); }},
      {"label bound twice", [] { Actions a; auto l = a.NewLabel(); a.Bind(l).Bind(l); }},
      {"label of another list", [] { Actions a, b; b.NewLabel(); b.NewLabel(); a.Jump(b.NewLabel()); }},
      {"zero byte in a text", [] { Actions().PushString("a\0b"s); }},
      {"zero byte in a command", [] { Actions().FsCommand("", "x\0y"s); }},
      {"jump beyond 16 bits",
       [] {
         Actions a;
         auto l = a.NewLabel();
         a.Jump(l);
         for (int i = 0; i < 4000; ++i) a.PushString("0123456789");
         a.Bind(l).Assemble();
       }},
      {"record beyond 16 bits", [] { Actions().PushString(std::string(70000, 'x')); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(c.run(), std::invalid_argument);
  }
}

// The fields of a DefineEditText body that the writer sets.
struct EditText {
  std::uint16_t id = 0;
  std::uint8_t flags1 = 0, flags2 = 0;
  std::uint16_t font = 0, height = 0;
  std::string variable, text;
};

EditText ParseEditText(const std::string& body) {
  EditText t;
  t.id = static_cast<std::uint16_t>(U16At(body, 0));
  const int bits = static_cast<std::uint8_t>(body.at(2)) >> 3;
  std::size_t at = 2 + (5 + 4 * bits + 7) / 8;
  t.flags1 = static_cast<std::uint8_t>(body.at(at));
  t.flags2 = static_cast<std::uint8_t>(body.at(at + 1));
  at += 2;
  if (t.flags1 & 0x01) {
    t.font = static_cast<std::uint16_t>(U16At(body, at));
    t.height = static_cast<std::uint16_t>(U16At(body, at + 2));
    at += 4;
  }
  if (t.flags1 & 0x04) at += 4;  // colour
  if (t.flags1 & 0x02) at += 2;  // maximum length
  if (t.flags2 & 0x20) at += 9;  // layout
  t.variable = CStringAt(body, at);
  if (t.flags1 & 0x80) t.text = CStringAt(body, at);
  EXPECT_EQ(at, body.size());
  return t;
}

TEST(MovieWriter, DefinitionsReadBackFieldByField) {
  MovieWriter movie({8, 400, 300, 12, Rgb{1, 2, 3}});
  const CharacterId box = movie.DefineRectangle(50, 20, Rgb{9, 8, 7}, Outline{2, Rgb{}});
  const CharacterId font = movie.DefineDeviceFont("_sans");
  TextFieldSpec input;
  input.font = font;
  input.fontSize = 18;
  input.variable = "변수명";
  input.editable = true;
  input.multiline = true;
  const CharacterId inputId = movie.DefineTextField(input);
  TextFieldSpec label;
  label.font = font;
  label.text = "안녕하세요 & <b>";
  label.selectable = false;
  label.border = true;
  label.maxLength = 40;
  const CharacterId labelId = movie.DefineTextField(label);
  ButtonSpec button;
  button.up = box;
  button.label = labelId;
  button.onRelease.FsCommand("", "function_full");
  const CharacterId buttonId = movie.DefineButton(button);
  Timeline sprite;
  sprite.Place(1, box, 0, 0).ShowFrame().Place(2, box, 5, 5).ShowFrame();
  const CharacterId spriteId = movie.DefineSprite(sprite);
  movie.root().Place(1, spriteId, 10, 20, "box").Place(2, inputId, -5, 0).Place(3, buttonId, 0, 0).ShowFrame();
  const std::string bytes = movie.Finish();

  std::vector<std::uint16_t> codes;
  const std::vector<testing::Tag> tags = MovieTags(bytes);
  for (const auto& t : tags) codes.push_back(t.code);
  EXPECT_EQ(codes, (std::vector<std::uint16_t>{69, 9, 2, 48, 37, 37, 34, 39, 26, 26, 26, 1, 0}));

  // Device font: id, wide codes, language, name, no glyphs.
  EXPECT_EQ(tags[3].body, "\x02\x00\x04\x00\x05_sans\x00\x00\x00\x00"s);

  const EditText in = ParseEditText(tags[4].body);
  EXPECT_EQ(in.id, inputId);
  EXPECT_EQ(in.variable, "변수명");
  EXPECT_EQ(in.text, "");
  EXPECT_EQ(in.font, font);
  EXPECT_EQ(in.height, 18 * 20);
  EXPECT_EQ(in.flags1 & 0x08, 0);     // editable: not read-only
  EXPECT_EQ(in.flags1 & 0x20, 0x20);  // multiline
  const EditText fixed = ParseEditText(tags[5].body);
  EXPECT_EQ(fixed.text, "안녕하세요 & <b>");
  EXPECT_EQ(fixed.variable, "");
  EXPECT_EQ(fixed.flags1 & 0x08, 0x08);  // read-only
  EXPECT_EQ(fixed.flags2 & 0x10, 0x10);  // not selectable
  EXPECT_EQ(fixed.flags2 & 0x08, 0x08);  // border
  EXPECT_EQ(fixed.flags2 & 0x02, 0);     // plain text, not HTML

  // Button: the action offset leads past the records to the release condition.
  std::uint8_t condition = 0;
  const auto actions = WalkActions(testing::ButtonActions(tags[6].body, &condition));
  EXPECT_EQ(condition, 0x08);
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].payload, "FSCommand:\0function_full\0"s);

  // Sprite: id, 2 frames, its own tags closed by End.
  const std::string& s = tags[7].body;
  EXPECT_EQ(U16At(s, 0), spriteId);
  EXPECT_EQ(U16At(s, 2), 2u);
  std::vector<std::uint16_t> inner;
  for (const auto& t : WalkTags(s, 4)) inner.push_back(t.code);
  EXPECT_EQ(inner, (std::vector<std::uint16_t>{26, 1, 26, 1, 0}));

  // Named placement: flags, depth, character, matrix, name.
  const std::string& place = tags[8].body;
  EXPECT_EQ(static_cast<std::uint8_t>(place.at(0)), 0x26);
  EXPECT_EQ(U16At(place, 3), spriteId);
  EXPECT_EQ(place.substr(place.size() - 4), "box\0"s);

  const MovieRead read = ReadMovieFacts(View(bytes), MovieScan::kWholeMovie);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.facts.frameCount, 1);
}

TEST(MovieWriter, RefusesWhatMoviesCannotHold) {
  struct Case {
    const char* name;
    std::function<void()> run;
  } cases[] = {
      {"version 5 has no UTF-8", [] { MovieWriter({5, 10, 10, 12, {}}); }},
      {"negative stage", [] { MovieWriter({8, -1, 10, 12, {}}); }},
      {"frame rate of 256", [] { MovieWriter({8, 10, 10, 256, {}}); }},
      {"button without an up state", [] { MovieWriter({}).DefineButton(ButtonSpec{}); }},
      {"zero byte in a variable name",
       [] {
         TextFieldSpec t;
         t.variable = "a\0b"s;
         MovieWriter({}).DefineTextField(t);
       }},
      {"font name beyond 255 bytes", [] { MovieWriter({}).DefineDeviceFont(std::string(256, 'f')); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(c.run(), std::invalid_argument);
  }
}

// The texts pushed and the GetURL records of an action list.
void CollectTexts(const std::string& code, std::vector<std::string>& pushed, std::vector<std::string>& urls) {
  for (const auto& r : WalkActions(code)) {
    if (r.code == 0x96 && !r.payload.empty() && r.payload[0] == 0) pushed.push_back(r.payload.substr(1, r.payload.size() - 2));
    if (r.code == 0x83) urls.push_back(r.payload);
  }
}

TEST(BridgeMovie, RegistersItsCallbacksThenSaysItIsReady) {
  const std::string bridge = BridgeMovie();
  const MovieRead read = ReadMovieFacts(View(bridge), MovieScan::kWholeMovie);
  ASSERT_TRUE(read.ok()) << DescribeMovieError(read.error);
  EXPECT_EQ(read.facts.version, 8);
  EXPECT_FALSE(read.facts.actionScript3());
  EXPECT_EQ(read.facts.frameCount, 1);

  std::vector<std::string> pushed, urls;
  for (const auto& tag : MovieTags(bridge)) {
    if (tag.code == 12) CollectTexts(tag.body, pushed, urls);
  }
  auto position = [&](const std::string& text) {
    for (std::size_t i = 0; i < pushed.size(); ++i) {
      if (pushed[i] == text) return static_cast<long>(i);
    }
    return -1L;
  };
  for (const char* name : {kBridgeSetVariable, kBridgeGetVariable, kBridgeLoadMovie, "addCallback", "ExternalInterface",
                           "_level0", "_root.", kBridgeMovieVar}) {
    EXPECT_GE(position(name), 0) << name;
  }
  EXPECT_EQ(urls, (std::vector<std::string>{"FSCommand:"s + kBridgeReadyCommand + '\0' + kBridgeVersion + '\0'}));
}

}  // namespace
}  // namespace vellix::swf
