#include "DemoBook.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <system_error>
#include <vector>

#include "swf/Actions.h"
#include "swf/ByteWriter.h"
#include "swf/MovieWriter.h"
#include "swf/SaveFile.h"

namespace vellix::demo {

using swf::Actions;
using swf::CharacterId;
using swf::Rgb;

namespace {

const Rgb kInk{0x22, 0x22, 0x33};
const Rgb kPaper{0xF6, 0xF3, 0xEA};
const Rgb kBand{0x24, 0x3B, 0x6B};
const Rgb kWhite{0xFF, 0xFF, 0xFF};
const Rgb kButton{0x3E, 0x6F, 0xB0};
const Rgb kButtonOver{0x5A, 0x8C, 0xCC};
const Rgb kButtonDown{0x2A, 0x52, 0x88};
const Rgb kFieldBack{0xFF, 0xFF, 0xFF};
const Rgb kFieldEdge{0x9A, 0xA4, 0xB8};

// The book's folder for attached files, relative to the book's folder.
const char kContents[] = "VellixDemo_Page_Img/contents";
const char kNotes[] = "VellixDemo_Page_Img/notes";
const char kMemoName[] = "demo_memo.txt";

// Puts labels, text fields and buttons on a timeline, one depth each, and
// takes a page's items away again when the next page begins.
class PageLayout {
 public:
  PageLayout(swf::MovieWriter& movie, swf::Timeline& timeline)
      : movie_(movie), timeline_(timeline), font_(movie.DefineDeviceFont("_sans")) {}

  void Label(const std::string& text, int x, int y, int width, int size = 16, Rgb color = kInk,
             swf::TextAlign align = swf::TextAlign::kLeft) {
    swf::TextFieldSpec t;
    t.width = width;
    t.height = size * 3 / 2 + 6;
    t.font = font_;
    t.fontSize = size;
    t.color = color;
    t.text = text;
    t.selectable = false;
    t.align = align;
    t.multiline = text.find('\n') != std::string::npos;
    if (t.multiline) t.height = (size * 3 / 2 + 2) * (1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'))) + 6;
    Put(movie_.DefineTextField(t), x, y);
  }

  // A field showing (and, when editable, editing) `variable`, on a white box.
  void Field(const std::string& variable, int x, int y, int width, int lines = 1, bool editable = false) {
    const int height = lines * 24 + 6;
    Put(movie_.DefineRectangle(width, height, kFieldBack, swf::Outline{1, kFieldEdge}), x, y);
    swf::TextFieldSpec t;
    t.width = width - 8;
    t.height = height - 4;
    t.font = font_;
    t.fontSize = 16;
    t.color = kInk;
    t.variable = variable;
    t.editable = editable;
    t.multiline = lines > 1;
    t.wordWrap = lines > 1;
    Put(movie_.DefineTextField(t), x + 4, y + 2);
  }

  void Button(const std::string& text, int x, int y, int width, const Actions& onRelease, int height = 36) {
    swf::ButtonSpec b;
    b.up = movie_.DefineRectangle(width, height, kButton, swf::Outline{1, kButtonDown});
    b.over = movie_.DefineRectangle(width, height, kButtonOver, swf::Outline{1, kButtonDown});
    b.down = movie_.DefineRectangle(width, height, kButtonDown, swf::Outline{1, kButtonDown});
    swf::TextFieldSpec t;
    t.width = width;
    t.height = 26;
    t.font = font_;
    t.fontSize = 16;
    t.color = kWhite;
    t.text = text;
    t.selectable = false;
    t.align = swf::TextAlign::kCenter;
    b.label = movie_.DefineTextField(t);
    b.labelY = (height - 24) / 2;
    b.onRelease = onRelease;
    Put(movie_.DefineButton(b), x, y);
  }

  // Things that stay on every page, below the pages' own.
  void Fixed(CharacterId character, int x, int y) { timeline_.Place(fixedDepth_++, character, x, y); }
  CharacterId font() const { return font_; }

  // Ends the current page with its frame actions and starts the next one.
  void EndPage(const Actions& frameActions) {
    timeline_.Do(frameActions).ShowFrame();
    for (std::uint16_t d : pageDepths_) timeline_.Remove(d);
    pageDepths_.clear();
  }

 private:
  void Put(CharacterId character, int x, int y) {
    const std::uint16_t depth = static_cast<std::uint16_t>(100 + pageDepths_.size());
    timeline_.Place(depth, character, x, y);
    pageDepths_.push_back(depth);
  }

  swf::MovieWriter& movie_;
  swf::Timeline& timeline_;
  CharacterId font_;
  std::uint16_t fixedDepth_ = 1;
  std::vector<std::uint16_t> pageDepths_;
};

Actions Command(const std::string& args, const std::string& command = "") {
  Actions a;
  a.FsCommand(command, args);
  return a;
}

Actions Goto(int frame) {
  Actions a;
  a.GotoAndStop(static_cast<std::uint16_t>(frame));
  return a;
}

// Frame numbers of the pages.
enum Page { kCover, kContentsPage, kExports, kMemo, kNoteList, kArgument, kPopup, kWindow, kPageCount };

struct PageTitle {
  Page page;
  const char* title;
  const char* summary;
};

const PageTitle kPages[] = {
    {kExports, "첨부 파일 저장", "그림, 문서, 파일을 원하는 곳에 저장합니다"},
    {kMemo, "메모 저장과 불러오기", "이동식 디스크의 TxtData 폴더에 메모를 씁니다"},
    {kNoteList, "노트 목록", "노트 폴더의 목록을 보고 목록 파일을 씁니다"},
    {kArgument, "명령줄 인수", "책을 시작할 때 받은 인수를 봅니다"},
    {kPopup, "팝업 페이지", "다른 무비를 팝업 창으로 엽니다"},
    {kWindow, "창과 웹 주소", "전체 화면, 앞으로 가져오기, 웹, 닫기"},
};

void PageHeading(PageLayout& page, const std::string& title, const std::string& explanation) {
  page.Label(title, 40, 80, 720, 26, kBand);
  page.Label(explanation, 40, 124, 720, 15);
  page.Button("목차로", 640, 536, 120, Goto(kContentsPage));
}

}  // namespace

std::string DemoMovie() {
  swf::MovieWriter movie({8, 800, 600, 24, kPaper});
  swf::Timeline& root = movie.root();
  PageLayout page(movie, root);

  // The band at the top with the book's name, on every page.
  page.Fixed(movie.DefineRectangle(800, 56, kBand), 0, 0);
  {
    swf::TextFieldSpec t;
    t.width = 760;
    t.height = 34;
    t.font = page.font();
    t.fontSize = 22;
    t.color = kWhite;
    t.text = "Vellix 전자책 데모";
    t.selectable = false;
    page.Fixed(movie.DefineTextField(t), 24, 12);
  }

  // Cover: the page the viewer was started at, and the command-line argument,
  // which the cover asks for as it shows.
  page.Label("Vellix 전자책 데모", 40, 110, 720, 40, kBand, swf::TextAlign::kCenter);
  page.Label("진짜 무비로 만든 데모 책입니다. 버튼마다 뷰어의 명령을 보냅니다.", 40, 180, 720, 16, kInk,
             swf::TextAlign::kCenter);
  page.Label("시작 페이지 (firstIndex)", 180, 250, 240, 18);
  page.Field("firstIndex", 430, 246, 190);
  page.Label("명령줄 인수 (변수명)", 180, 300, 240, 18);
  page.Field("변수명", 430, 296, 190);
  page.Button("목차 보기", 300, 400, 200, Goto(kContentsPage), 48);
  {
    Actions a;
    a.Stop().FsCommand("", "function_InputParameter");
    page.EndPage(a);
  }

  // Contents: a button for each page.
  page.Label("목차", 40, 80, 720, 26, kBand);
  int y = 140;
  for (const auto& p : kPages) {
    page.Button(p.title, 60, y, 240, Goto(p.page));
    page.Label(p.summary, 320, y + 8, 440, 15);
    y += 56;
  }
  page.Button("표지로", 640, 536, 120, Goto(kCover));
  page.EndPage(Actions().Stop());

  // Exports through the save dialogs.
  PageHeading(page, "첨부 파일 저장", "책에 딸린 파일을 저장 대화 상자로 원하는 곳에 저장합니다.");
  page.Button("그림 저장 (picture.bmp)", 60, 180, 300, Command("function_imgcopy@@@picture.bmp"));
  page.Label("function_imgcopy: contents 폴더의 그림", 380, 188, 380, 15);
  page.Button("문서 저장 (guide.pdf)", 60, 240, 300,
              Command(std::string("function_doccopy@@@") + kContents + "/guide.pdf"));
  page.Label("function_doccopy: 책 폴더 기준 경로의 문서", 380, 248, 380, 15);
  page.Button("파일 저장 (폴더와 이름)", 60, 300, 300,
              Command(std::string("function_copyfile@@@") + kContents + "@@@guide.pdf"));
  page.Label("function_copyfile: 저장 뒤 결과를 알려 줍니다", 380, 308, 380, 15);
  page.EndPage(Actions().Stop());

  // Memo: typed, saved, its folder asked for, loaded back as variables.
  PageHeading(page, "메모 저장과 불러오기",
              "메모는 &memo=...& 한 줄로 저장되어, 불러오면 변수 memo가 됩니다.");
  page.Label("메모", 40, 170, 100, 16);
  page.Field("memoInput", 140, 166, 420, 3, true);
  {
    // fscommand("", "function_saveTextFile@@@&memo=" + escape(memoInput) + "&@@@demo_memo.txt")
    Actions save;
    save.PushString(Actions::FsCommandUrl(""));
    save.PushString("function_saveTextFile@@@&memo=");
    save.PushString("memoInput").GetVariable().PushNumber(1).PushString("escape").CallFunction();
    save.Add2();
    save.PushString(std::string("&@@@") + kMemoName).Add2();
    save.FsCommandFromStack();
    page.Button("메모 저장", 580, 166, 180, save);
  }
  page.Label("saveSuccess", 580, 214, 180, 14);
  page.Field("saveSuccess", 580, 236, 180);
  page.Button("메모 폴더 묻기", 140, 270, 200, Command("function_loadTextFile"));
  page.Label("loadTxt", 140, 316, 100, 14);
  page.Field("loadTxt", 250, 312, 310);
  page.Label("loadSuccess", 140, 354, 100, 14);
  page.Field("loadSuccess", 250, 350, 160);
  {
    // loadVariablesNum(loadTxt + "demo_memo.txt", 0)
    Actions load;
    load.PushString("loadTxt").GetVariable().PushString(kMemoName).Add2().LoadVariablesNum(0);
    page.Button("메모 불러오기", 140, 396, 200, load);
  }
  page.Label("불러온 memo", 140, 446, 120, 14);
  page.Field("memo", 260, 442, 300, 2);
  page.EndPage(Actions().Stop());

  // Note list of a folder below the book, and the list file.
  PageHeading(page, "노트 목록", std::string("폴더 ") + kNotes + "의 .txt 목록입니다.");
  page.Button("목록 보기", 60, 180, 220, Command(std::string("function_searchList@@@") + kNotes));
  page.Label("resultList", 300, 160, 200, 14);
  page.Field("resultList", 300, 182, 460, 3);
  page.Button("목록 파일 저장", 60, 290, 220,
              Command(std::string("function_TxtListSaveToFile@@@") + kNotes + "@@@.txt"));
  page.Label("TxtList.txt 파일에 &name=...& 한 줄로 씁니다", 300, 298, 460, 15);
  page.EndPage(Actions().Stop());

  // Command-line argument.
  PageHeading(page, "명령줄 인수", "뷰어를 시작할 때 받은 첫 인수를 변수 변수명으로 받습니다.");
  page.Button("인수 묻기", 60, 180, 220, Command("function_InputParameter"));
  page.Label("변수명", 300, 188, 100, 16);
  page.Field("변수명", 400, 184, 260);
  page.EndPage(Actions().Stop());

  // Popup page.
  PageHeading(page, "팝업 페이지", "contents/popup.swf를 팝업 창에 3쪽부터 엽니다.");
  page.Button("팝업 열기 (3쪽)", 60, 180, 260, Command("PopUpForm@@@popup.swf@@@3", "function"));
  page.EndPage(Actions().Stop());

  // Window commands and a web address.
  PageHeading(page, "창과 웹 주소", "창 명령과, 기본 브라우저로 여는 웹 주소입니다.");
  page.Button("전체 화면", 60, 180, 220, Command("function_full"));
  page.Button("앞으로 가져오기 (3초 뒤)", 60, 236, 220, Command("function_forward"));
  page.Button("웹 주소 열기", 60, 292, 220, Command("http://example.com/"));
  page.Label("http://example.com/", 300, 300, 400, 15);
  page.Button("책 닫기", 60, 348, 220, Command("function_close"));
  page.EndPage(Actions().Stop());

  return movie.Finish();
}

std::string PopupMovie() {
  swf::MovieWriter movie({8, 545, 376, 24, kPaper});
  PageLayout page(movie, movie.root());
  page.Fixed(movie.DefineRectangle(545, 48, kBand), 0, 0);
  page.Label("팝업 페이지", 20, 10, 500, 20, kWhite);
  page.Label("이 페이지는 책 위의 팝업 창에서 열립니다.", 20, 70, 500, 15);
  page.Label("시작 페이지 (BOOKLOAD_FIRSTPAGE)", 20, 120, 300, 16);
  page.Field("BOOKLOAD_FIRSTPAGE", 330, 116, 180);
  page.Button("닫기", 200, 290, 145, Command("function_close"));
  page.EndPage(Actions().Stop());
  return movie.Finish();
}

std::string DemoPicture() {
  // BITMAPFILEHEADER, BITMAPINFOHEADER, then rows bottom-up, each padded to 4 bytes.
  const int width = 160, height = 120;
  const int row = (width * 3 + 3) & ~3;
  swf::ByteWriter w;
  w.Raw("BM");
  w.U32(static_cast<std::uint32_t>(54 + row * height));
  w.U32(0);
  w.U32(54);
  w.U32(40);
  w.U32(width);
  w.U32(height);
  w.U16(1);
  w.U16(24);
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(row * height));
  w.U32(2835);
  w.U32(2835);
  w.U32(0);
  w.U32(0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool square = ((x / 20) + (y / 20)) % 2 == 0;
      w.U8(square ? 0xB0 : 0x60 + y);  // blue
      w.U8(square ? 0x80 : x);         // green
      w.U8(square ? 0x30 : 0xF0 - y);  // red
    }
    for (int p = width * 3; p < row; ++p) w.U8(0);
  }
  return w.bytes();
}

std::string DemoDocument() {
  // A PDF of one page: objects, then the cross-reference table of their offsets.
  const std::string text = "BT /F1 24 Tf 72 720 Td (Vellix demo book: the attached guide) Tj ET";
  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
      "/Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t o : offsets) {
    std::string n = std::to_string(o);
    pdf += std::string(10 - n.size(), '0') + n + " 00000 n \n";
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

bool WriteDemoBook(const std::filesystem::path& inputs, const std::filesystem::path& folder, std::string& error) {
  namespace fs = std::filesystem;
  const fs::path pageImg = folder / "VellixDemo_Page_Img";
  const fs::path contents = pageImg / "contents";
  struct Output {
    fs::path path;
    std::string bytes;
  } outputs[] = {
      {folder / "VellixDemo.swf", DemoMovie()},
      {contents / "popup.swf", PopupMovie()},
      {contents / "picture.bmp", DemoPicture()},
      {contents / "guide.pdf", DemoDocument()},
  };
  for (const auto& o : outputs) {
    if (!swf::SaveFile(o.path, o.bytes, error)) return false;
  }
  std::error_code ec;
  fs::create_directories(pageImg / "notes", ec);
  for (const char* name : {"Page_Var.txt", "notes/memo1.txt", "notes/memo2.txt"}) {
    fs::copy_file(inputs / name, pageImg / name, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      error = "cannot copy " + (inputs / name).u8string() + " to " + (pageImg / name).u8string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace vellix::demo
