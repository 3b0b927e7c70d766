// The demo book's movies: readable, and every button and frame sends what
// its page promises.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "DemoBook.h"
#include "MovieParts.h"
#include "swf/MovieFacts.h"

namespace vellix::swf {
namespace {

using namespace std::string_literals;
using testing::CStringAt;
using testing::MovieTags;
using testing::View;
using testing::WalkActions;

// Every action list of a movie: frame actions and button actions.
std::vector<std::string> ActionLists(const std::string& movie) {
  std::vector<std::string> lists;
  for (const auto& tag : MovieTags(movie)) {
    if (tag.code == 12) lists.push_back(tag.body);
    if (tag.code == 34) lists.push_back(testing::ButtonActions(tag.body));
  }
  return lists;
}

struct Sent {
  std::set<std::pair<std::string, std::string>> commands;  // fixed fscommands
  std::set<std::string> pushed;                            // pushed texts
  std::set<unsigned> gotos;
};

Sent WhatItSends(const std::string& movie) {
  Sent sent;
  for (const auto& list : ActionLists(movie)) {
    for (const auto& r : WalkActions(list)) {
      if (r.code == 0x83) {
        std::size_t at = 0;
        std::string url = CStringAt(r.payload, at);
        std::string target = CStringAt(r.payload, at);
        if (url.rfind("FSCommand:", 0) == 0) sent.commands.insert({url.substr(10), target});
      }
      if (r.code == 0x96 && r.payload[0] == 0) sent.pushed.insert(r.payload.substr(1, r.payload.size() - 2));
      if (r.code == 0x81) sent.gotos.insert(testing::U16At(r.payload, 0));
    }
  }
  return sent;
}

TEST(DemoBook, MoviesReadWithTheirFacts) {
  struct Case {
    const char* name;
    std::string movie;
    int width, height, frames;
  } cases[] = {{"book", demo::DemoMovie(), 800, 600, 8}, {"popup", demo::PopupMovie(), 545, 376, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MovieRead read = ReadMovieFacts(View(c.movie), MovieScan::kWholeMovie);
    ASSERT_TRUE(read.ok()) << DescribeMovieError(read.error);
    EXPECT_EQ(read.facts.version, 8);
    EXPECT_FALSE(read.facts.actionScript3());
    EXPECT_EQ(read.facts.widthPixels(), c.width);
    EXPECT_EQ(read.facts.heightPixels(), c.height);
    EXPECT_EQ(read.facts.frameCount, c.frames);
    EXPECT_EQ(read.facts.framesFound, static_cast<std::uint32_t>(c.frames));
    EXPECT_EQ(read.facts.background, (Rgb{0xF6, 0xF3, 0xEA}));
  }
}

TEST(DemoBook, PagesSendTheViewersCommands) {
  const Sent book = WhatItSends(demo::DemoMovie());
  const std::pair<std::string, std::string> expected[] = {
      {"", "function_InputParameter"},
      {"", "function_imgcopy@@@picture.bmp"},
      {"", "function_doccopy@@@VellixDemo_Page_Img/contents/guide.pdf"},
      {"", "function_copyfile@@@VellixDemo_Page_Img/contents@@@guide.pdf"},
      {"", "function_loadTextFile"},
      {"", "function_searchList@@@VellixDemo_Page_Img/notes"},
      {"", "function_TxtListSaveToFile@@@VellixDemo_Page_Img/notes@@@.txt"},
      {"function", "PopUpForm@@@popup.swf@@@3"},
      {"", "function_full"},
      {"", "function_forward"},
      {"", "http://example.com/"},
      {"", "function_close"},
  };
  for (const auto& e : expected) EXPECT_TRUE(book.commands.count(e)) << e.first << " " << e.second;
  // The memo command is built from the field's text.
  for (const char* text : {"FSCommand:", "function_saveTextFile@@@&memo=", "memoInput", "escape",
                           "&@@@demo_memo.txt", "loadTxt"})
    EXPECT_TRUE(book.pushed.count(text)) << text;
  for (unsigned frame : book.gotos) EXPECT_LT(frame, 8u);
  EXPECT_EQ(book.gotos.size(), 8u);  // every page is reached

  const Sent popup = WhatItSends(demo::PopupMovie());
  EXPECT_EQ(popup.commands, (std::set<std::pair<std::string, std::string>>{{"", "function_close"}}));
}

TEST(DemoBook, AttachedFilesAreWellFormed) {
  const std::string bmp = demo::DemoPicture();
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(testing::U32At(bmp, 2), bmp.size());
  EXPECT_EQ(testing::U32At(bmp, 10), 54u);
  EXPECT_EQ(testing::U32At(bmp, 18) * 3 * testing::U32At(bmp, 22) + 54, bmp.size());  // 160 * 3 is a multiple of 4

  const std::string pdf = demo::DemoDocument();
  EXPECT_EQ(pdf.substr(0, 8), "%PDF-1.4");
  const std::size_t xref = std::stoul(pdf.substr(pdf.rfind("startxref\n") + 10));
  EXPECT_EQ(pdf.substr(xref, 4), "xref");
  // Each object's offset in the table points at its header.
  std::size_t row = pdf.find("65535 f \n", xref) + 9;
  for (int object = 1; object <= 5; ++object, row += 20) {
    const std::size_t offset = std::stoul(pdf.substr(row, 10));
    EXPECT_EQ(pdf.substr(offset, std::to_string(object).size() + 6), std::to_string(object) + " 0 obj");
  }
}

}  // namespace
}  // namespace vellix::swf
