#include <gtest/gtest.h>

#include "linux/Json.h"
#include "linux/MovieRequests.h"

namespace vellix::engine {
namespace {

TEST(LocalUrl, EncodesEverythingButUnreservedAndSlashAndDecodesBack) {
  const struct {
    std::string path, url;
  } cases[] = {
      {"/home/reader/Books/Sample.swf", "vellix://local/home/reader/Books/Sample.swf"},
      {"/home/reader/책 폴더/a b.swf", "vellix://local/home/reader/%EC%B1%85%20%ED%8F%B4%EB%8D%94/a%20b.swf"},
      {"/x/100%?#&=+;.txt", "vellix://local/x/100%25%3F%23%26%3D%2B%3B.txt"},
      {"/a\\b", "vellix://local/a%5Cb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(LocalUrl(c.path), c.url);
    EXPECT_EQ(PathOfRequest(c.url.substr(std::string("vellix://local").size())), c.path);
  }
}

TEST(PathOfRequest, RefusesWhatNamesNoAbsolutePath) {
  for (const char* bad : {"", "relative/x", "/a%00b"})
    EXPECT_EQ(PathOfRequest(bad), "") << bad;
  EXPECT_EQ(PathOfRequest("/a%zz%4"), "/a%zz%4") << "a broken escape stays as it is";
}

TEST(ContentType, ByExtensionAndTextsInTheWindowsCodePage) {
  EXPECT_EQ(ContentType("/v/ruffle/826bb.wasm"), "application/wasm");
  EXPECT_EQ(ContentType("/v/player.JS"), "text/javascript; charset=utf-8");
  EXPECT_EQ(ContentType("/b/Book.SWF"), "application/x-shockwave-flash");
  EXPECT_EQ(ContentType("/b/contents/pic.Jpg"), "image/jpeg");
  for (const char* text : {"/m/TxtData/memo1.txt", "/b/data.dat", "/b/noextension", "/b.dir/file"})
    EXPECT_EQ(ContentType(text), "text/plain; charset=windows-949") << text;
}

TEST(VariableNames, AsTheBridgeAndTheQueryTakeThem) {
  const struct {
    Text name;
    std::string bridge;
    std::optional<std::string> root;
  } cases[] = {
      {u"firstIndex", "_level0.firstIndex", "firstIndex"},
      {u"_root.BOOKLOAD_FIRSTPAGE", "_level0.BOOKLOAD_FIRSTPAGE", "BOOKLOAD_FIRSTPAGE"},
      {u"_level0.saveSuccess", "_level0.saveSuccess", "saveSuccess"},
      {u"\uBCC0\uC218\uBA85", "_level0.\xEB\xB3\x80\xEC\x88\x98\xEB\xAA\x85", "\xEB\xB3\x80\xEC\x88\x98\xEB\xAA\x85"},
      {u"clip.x", "_level0.clip.x", std::nullopt},
      {u"_level1.x", "_level1.x", std::nullopt},
      {u"_root.", "_level0.", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bridge);
    EXPECT_EQ(BridgeVariableName(c.name), c.bridge);
    EXPECT_EQ(RootVariableName(c.name), c.root);
  }
}

TEST(PlanMovieLoad, TheWayAMovieAndItsVariablesGoToThePage) {
  const std::string path = "/b/\xEC\xB1\x85/Demo.swf";
  const std::string url = "vellix://local/b/%EC%B1%85/Demo.swf";
  MovieKind as2{true, false, 0x123456};
  MovieKind as3{true, true, std::nullopt};
  MovieKind broken{};

  MovieLoad blank = PlanMovieLoad(u"about:blank", "", as2, {{u"x", u"1"}});
  EXPECT_EQ(blank.way, MovieLoad::Way::kBlank);

  MovieLoad bridge = PlanMovieLoad(u"/b/\uCC45/Demo.swf", path, as2,
                                   {{u"_root.BOOKLOAD_FIRSTPAGE", u"1"}, {u"firstIndex", u"a&b=\uAC00"},
                                    {u"_root.BOOKLOAD_FIRSTPAGE", u"12"}, {u"clip.x", u"3"}});
  EXPECT_EQ(bridge.way, MovieLoad::Way::kBridge);
  EXPECT_EQ(bridge.url, url + "?BOOKLOAD_FIRSTPAGE=12&firstIndex=a%26b%3D%EA%B0%80");
  EXPECT_EQ(bridge.background, "#123456");
  EXPECT_EQ(bridge.later, (std::vector<std::pair<std::string, std::string>>{{"_level0.clip.x", "3"}}));

  MovieLoad direct = PlanMovieLoad(u"/b/\uCC45/Demo.swf", path, as3, {{u"firstIndex", u"5"}});
  EXPECT_EQ(direct.way, MovieLoad::Way::kDirect);
  EXPECT_EQ(direct.url, url) << "FlashVars, not the query, carry an ActionScript 3 movie's variables";
  EXPECT_EQ(direct.flashVars, (std::vector<std::pair<std::string, std::string>>{{"firstIndex", "5"}}));
  EXPECT_EQ(direct.background, "#ffffff");

  // Ruffle shows its own error for a movie it cannot play.
  EXPECT_EQ(PlanMovieLoad(u"/b/x.swf", "/b/x.swf", broken, {}).way, MovieLoad::Way::kDirect);
}

TEST(Json, TextsArriveAsTheSameTexts) {
  Json object = Json::Object();
  object.Set("a\"b", Json::String("line\nquote\" back\\ tab\t \x01 \xEA\xB0\x80"))
      .Set("list", Json::Pairs({{"x", "1"}}))
      .Set("on", Json::Bool(true))
      .Set("empty", Json::Object());
  EXPECT_EQ(object.Text(),
            "{\"a\\\"b\":\"line\\nquote\\\" back\\\\ tab\\t \\u0001 \xEA\xB0\x80\",\"list\":[[\"x\",\"1\"]],"
            "\"on\":true,\"empty\":{}}");
}

}  // namespace
}  // namespace vellix::engine
