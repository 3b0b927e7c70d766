#include <gtest/gtest.h>

#include "book/WindowSettings.h"

namespace vellix {
namespace {

TEST(StrToInt, FollowsTheStrictRules) {
  struct Case {
    Text text;
    std::optional<int> value;
  } cases[] = {
      {u"1024", 1024},   {u"  768", 768},     {u"-5", -5},          {u"+7", 7},
      {u"0", 0},         {u"$10", 16},        {u"x1F", 31},         {u"X1f", 31},
      {u"0x10", 16},     {u"0X10", 16},       {u"-$10", -16},       {u"$FFFFFFFF", -1},
      {u"2147483647", 2147483647},            {u"-2147483648", -2147483647 - 1},
      {u"", std::nullopt},        {u" ", std::nullopt},       {u"768 ", std::nullopt},
      {u"abc", std::nullopt},     {u"12px", std::nullopt},    {u"$", std::nullopt},
      {u"0x", std::nullopt},      {u"-", std::nullopt},       {u"1.5", std::nullopt},
      {u"\t5", std::nullopt},     {u"2147483648", std::nullopt}, {u"$100000000", std::nullopt},
      {u"\uFF11", std::nullopt},  {u"--1", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    EXPECT_EQ(StrToInt(c.text), c.value);
  }
}

struct DecisionCase {
  const char* name;
  int parseResult;
  std::string settings;
  Text baseName;
  Size screen;
  Size current;
  // expectations
  Text title;
  bool explicitGeometry;
  int top, left, width, height;
  bool maximized;
  std::optional<Text> error;
};

const DecisionCase kDecisions[] = {
    {"no settings, launcher", -1, "", u"launcher", {1024, 768}, {816, 638},
     u"Vellix EBook Viewer", false, 0, 0, 0, 0, true, std::nullopt},
    {"no settings, other case of launcher", -1, "", u"Launcher", {1024, 768}, {816, 638},
     u"Launcher", false, 0, 0, 0, 0, true, std::nullopt},
    {"centred on the current size", 0, "&title=T&&width=1024&&height=768&", u"Sample", {1920, 1080}, {816, 638},
     u"T", true, 221, 552, 1024, 768, false, std::nullopt},
    {"screen smaller than the window", 0, "&width=1024&&height=768&", u"Sample", {800, 600}, {816, 638},
     u"", true, -19, -8, 800, 600, false, std::nullopt},
    {"request larger than the screen still applied", 0, "&width=1280&&height=1024&", u"Sample", {1024, 768},
     {816, 638}, u"", true, 65, 104, 1280, 1024, false, std::nullopt},
    {"width 0 maximises without reading height", 0, "&width=0&&height=abc&", u"S", {1024, 768}, {816, 638},
     u"", false, 0, 0, 0, 0, true, std::nullopt},
    {"negative width maximises", 0, "&width=-3&", u"S", {1024, 768}, {816, 638},
     u"", false, 0, 0, 0, 0, true, std::nullopt},
    {"height 0 maximises", 0, "&width=800&&height=0&", u"S", {1024, 768}, {816, 638},
     u"", false, 0, 0, 0, 0, true, std::nullopt},
    {"bad height", 0, "&title=Bad&&width=1024&&height=abc&", u"S", {1024, 768}, {816, 638},
     u"Bad", false, 0, 0, 0, 0, false, Text(u"''abc'' is not a valid integer value")},
    {"only a title: empty width", 0, "&title=Only&", u"S", {1024, 768}, {816, 638},
     u"Only", false, 0, 0, 0, 0, false, Text(u"'''' is not a valid integer value")},
    {"width after height is never read", 0, "&height=600&&width=800&", u"S", {1024, 768}, {816, 638},
     u"", false, 0, 0, 0, 0, false, Text(u"'''' is not a valid integer value")},
    {"fullscreen true after explicit geometry", 0, "&fullscreen=true&&width=800&&height=600&", u"S", {1024, 768},
     {816, 638}, u"", true, 65, 104, 800, 600, true, std::nullopt},
    {"fullscreen True has no effect", 0, "&fullscreen=True&&width=800&&height=600&", u"S", {1024, 768},
     {816, 638}, u"", true, 65, 104, 800, 600, false, std::nullopt},
    {"fullscreen after height has no effect", 0, "&width=800&&height=600&&fullscreen=true&", u"S", {1024, 768},
     {816, 638}, u"", true, 65, 104, 800, 600, false, std::nullopt},
    {"title escapes", 0, "&title=Tom %26 Jerry %2626 %20&&width=0&", u"S", {1024, 768}, {816, 638},
     u"Tom & Jerry &26 %20", false, 0, 0, 0, 0, true, std::nullopt},
    {"odd sizes truncate toward zero", 0, "&width=10&&height=10&", u"S", {1023, 767}, {816, 638},
     u"", true, 64, 103, 10, 10, false, std::nullopt},
    {"negative halves truncate toward zero", 0, "&width=10&&height=10&", u"S", {801, 601}, {816, 638},
     u"", true, -18, -7, 801, 601, false, std::nullopt},
    {"hexadecimal sizes", 0, "&width=$400&&height=0x300&", u"S", {1920, 1080}, {816, 638},
     u"", true, 221, 552, 1024, 768, false, std::nullopt},
};

TEST(WindowSettings, DecidesTitleGeometryAndState) {
  for (const auto& c : kDecisions) {
    SCOPED_TRACE(c.name);
    VellixTxtParser p;
    p.ParseBytes(c.settings);
    WindowDecision d = DecideWindowSettings(c.parseResult, p, c.baseName, c.screen, c.current);
    EXPECT_EQ(d.title, c.title);
    EXPECT_EQ(d.explicitGeometry, c.explicitGeometry);
    if (c.explicitGeometry) {
      EXPECT_EQ(d.top, c.top);
      EXPECT_EQ(d.left, c.left);
      EXPECT_EQ(d.width, c.width);
      EXPECT_EQ(d.height, c.height);
    }
    EXPECT_EQ(d.maximized, c.maximized);
    EXPECT_EQ(d.conversionError, c.error);
    EXPECT_TRUE(d.loadMovie);
  }
}

TEST(WindowSettings, WidthNotPositiveNeverLooksUpHeight) {
  VellixTxtParser p;
  p.ParseBytes("&width=0&");
  DecideWindowSettings(0, p, u"S", {1024, 768}, {816, 638});
  EXPECT_EQ(p.Values().count(u"height"), 0u);
  EXPECT_EQ(p.Values().count(u"fullscreen"), 1u);
}

}  // namespace
}  // namespace vellix
