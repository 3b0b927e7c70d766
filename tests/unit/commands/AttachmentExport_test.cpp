#include <gtest/gtest.h>

#include "commands/AttachmentExport.h"
#include "commands/Dispatcher.h"
#include "commands/Fakes.h"

namespace vellix {
namespace {

using testing::FakeWorld;
using testing::Journal;

void Dispatch(FakeWorld& world, const Text& args) { FlashPlayerFSCommand(world.Ports(), u"", args); }

// The journal after the default shell open that precedes every head command.
Journal AfterShell(const FakeWorld& world) {
  EXPECT_FALSE(world.journal.empty());
  if (world.journal.empty()) return {};
  EXPECT_EQ(world.journal.front().rfind("shell.open owner=book ", 0), 0u) << world.journal.front();
  return Journal(world.journal.begin() + 1, world.journal.end());
}

TEST(AttachmentExport, CopyFileRequestFromStartToEnd) {
  FakeWorld world;
  world.fileSaveDialog.chosen = u"C:\\My\\\uBCF4\uACE0\uC11C.hwp";
  Dispatch(world, u"function_copyfile@@@docs/2010@@@report.hwp");
  Journal expected = {
      "shell.open owner=book file=function_copyfile@@@docs\\2010@@@report.hwp params= dir= show=1",
      "dialog[file].filter=한글 문서 파일|*.hwp",
      "dialog[file].filename=report.hwp",
      "dialog[file].execute filter=한글 문서 파일|*.hwp -> ok",
      "files.copy D:\\Books\\docs\\2010\\report.hwp -> C:\\My\\\\xBA\\xB8\\xB0\\xED\\xBC\\xAD.hwp",
      "message report.hwp 파일이 저장되었습니다.",
  };
  EXPECT_EQ(world.journal, expected);
}

TEST(AttachmentExport, CopyFileReportsFailureAndStaysSilentOnCancel) {
  {
    SCOPED_TRACE("copy fails");
    FakeWorld world;
    world.files.copySucceeds = false;
    Dispatch(world, u"function_copyfile@@@missing@@@a b.pdf");
    ASSERT_FALSE(world.journal.empty());
    EXPECT_EQ(world.journal.back(), "message a b.pdf 파일 저장 실패\\n경로를 확인해 주세요.");
  }
  {
    SCOPED_TRACE("reader cancels");
    FakeWorld world;
    world.fileSaveDialog.confirm = false;
    Dispatch(world, u"function_copyfile@@@docs@@@report.hwp");
    Journal expected = {"dialog[file].filter=한글 문서 파일|*.hwp", "dialog[file].filename=report.hwp",
                        "dialog[file].execute filter=한글 문서 파일|*.hwp -> cancel"};
    EXPECT_EQ(AfterShell(world), expected);
  }
  {
    SCOPED_TRACE("no second field: ignored after the shell");
    FakeWorld world;
    Dispatch(world, u"function_copyfile@@@report.hwp");
    EXPECT_EQ(AfterShell(world), Journal{});
  }
}

TEST(AttachmentExport, FilterTables) {
  struct Row {
    Text name;
    Text document;  // empty: the dialog's filter is left alone
    Text file;
  } rows[] = {
      {u"a.hwp", u"한글 파일|*.hwp", u"한글 문서 파일|*.hwp"},
      {u"a.HWP", u"한글 파일|*.hwp", u"한글 문서 파일|*.hwp"},
      {u"a.doc", u"마이크로소프트 워드 파일|*.doc;*.docx", u"마이크로소프트 워드 파일|*.doc;*.docx;"},
      {u"a.DocX", u"마이크로소프트 워드 파일|*.doc;*.docx", u"마이크로소프트 워드 파일|*.doc;*.docx;"},
      {u"a.xls", u"마이크로소프트 엑셀 파일|*.xls;*.xlsx", u"마이크로소프트 엑셀 파일|*.xls;*.xlsx;"},
      {u"a.XLSX", u"마이크로소프트 엑셀 파일|*.xls;*.xlsx", u"마이크로소프트 엑셀 파일|*.xls;*.xlsx;"},
      {u"a.ppt", u"마이크로소프트 파워포인트 파일|*.ppt;*.pptx", u"마이크로소프트 파워포인트 파일|*.ppt;*.pptx;"},
      {u"a.pptx", u"마이크로소프트 파워포인트 파일|*.ppt;*.pptx", u"마이크로소프트 파워포인트 파일|*.ppt;*.pptx;"},
      {u"a.wmv", u"동영상 파일|*.wmv", u"동영상 파일|*.wmv"},
      {u"a.jpg", u"", u"이미지파일|*.jpg;*.bmp;*.png;"},
      {u"a.BMP", u"", u"이미지파일|*.jpg;*.bmp;*.png;"},
      {u"a.png", u"", u"이미지파일|*.jpg;*.bmp;*.png;"},
      {u"a.swf", u"", u"플래시 파일|*.swf"},
      {u"a.Pdf", u"", u"PDF 파일|*.pdf"},
      {u"a.zip", u"", u"모든 파일|*.*"},
      {u"readme", u"", u"모든 파일|*.*"},
      {u"a.hwp.bak", u"", u"모든 파일|*.*"},
      {u"a.", u"", u"모든 파일|*.*"},
      {u"old.hwp\\readme", u"", u"모든 파일|*.*"},
      {u"dir.v2\\a.hwp", u"한글 파일|*.hwp", u"한글 문서 파일|*.hwp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::ShowText(row.name));
    EXPECT_EQ(DocumentFilter(row.name), row.document);
    EXPECT_EQ(FileFilter(row.name), row.file);
  }
}

TEST(AttachmentExport, DocCopyLeavesAnUnlistedExtensionToTheDialogsCurrentFilter) {
  FakeWorld world;
  const CommandPorts ports = world.Ports();
  FlashPlayerFSCommand(ports, u"", u"function_doccopy@@@docs/guide.pdf");
  EXPECT_EQ(world.fileSaveDialog.Filter(), u"PDF 파일|*.pdf");
  FlashPlayerFSCommand(ports, u"", u"function_doccopy@@@docs/letter.DOC");
  FlashPlayerFSCommand(ports, u"", u"function_doccopy@@@docs/guide.pdf");
  EXPECT_EQ(world.fileSaveDialog.Filter(), u"마이크로소프트 워드 파일|*.doc;*.docx");
  FlashPlayerFSCommand(ports, u"", u"function_copyfile@@@pics@@@cover.png");
  FlashPlayerFSCommand(ports, u"", u"function_doccopy@@@docs/guide.pdf");
  EXPECT_EQ(world.fileSaveDialog.Filter(), u"이미지파일|*.jpg;*.bmp;*.png;");
  // The image dialog is a dialog of its own and never changes.
  EXPECT_EQ(world.imgSaveDialog.Filter(), u"ImageFile|*.jpg;*.bmp");

  ASSERT_GE(world.journal.size(), 4u);
  Journal lastRequest(world.journal.end() - 4, world.journal.end());
  Journal expected = {
      "shell.open owner=book file=function_doccopy@@@docs\\guide.pdf params= dir= show=1",
      "dialog[file].filename=docs\\guide.pdf",
      "dialog[file].execute filter=이미지파일|*.jpg;*.bmp;*.png; -> ok",
      "files.copy D:\\Books\\docs\\guide.pdf -> C:\\Saved\\copy",
  };
  EXPECT_EQ(lastRequest, expected);
}

TEST(AttachmentExport, ImgCopyUsesTheContentsFolderAndItsOwnDialog) {
  FakeWorld world;
  Dispatch(world, u"function_imgcopy@@@pics/1.JPG");
  Journal expected = {
      "dialog[img].filename=pics\\1.JPG",
      "dialog[img].execute filter=ImageFile|*.jpg;*.bmp -> ok",
      "files.copy D:\\Books\\Sample_page_img\\contents\\pics\\1.JPG -> C:\\Saved\\copy",
  };
  EXPECT_EQ(AfterShell(world), expected);
}

TEST(AttachmentExport, ImgAndDocCopyAreSilentOnCancelAndOnFailure) {
  const Text requests[] = {u"function_imgcopy@@@a.jpg", u"function_doccopy@@@a.hwp", u"function_imgcopy",
                           u"function_doccopy@@@"};
  for (const Text& request : requests) {
    SCOPED_TRACE(testing::ShowText(request));
    FakeWorld cancelled;
    cancelled.imgSaveDialog.confirm = cancelled.fileSaveDialog.confirm = false;
    Dispatch(cancelled, request);
    for (const std::string& line : cancelled.journal) EXPECT_EQ(line.find("files."), std::string::npos) << line;

    FakeWorld failing;
    failing.files.copySucceeds = false;
    Dispatch(failing, request);
    for (const std::string& line : failing.journal) EXPECT_EQ(line.find("message"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace vellix
