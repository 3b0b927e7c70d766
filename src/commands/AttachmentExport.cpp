#include "commands/AttachmentExport.h"

#include <optional>

#include "text/CodePage.h"

namespace vellix {
namespace {

const Text kSeparator = u"@@@";

struct FilterRow {
  const char16_t* extensions[3];
  const char16_t* filter;
};

// The two tables differ on purpose: the document table has no image, Flash
// or PDF rows and no trailing ";", and names Hangul files differently.
const FilterRow kDocumentFilters[] = {
    {{u".hwp"}, u"한글 파일|*.hwp"},
    {{u".doc", u".docx"}, u"마이크로소프트 워드 파일|*.doc;*.docx"},
    {{u".xls", u".xlsx"}, u"마이크로소프트 엑셀 파일|*.xls;*.xlsx"},
    {{u".ppt", u".pptx"}, u"마이크로소프트 파워포인트 파일|*.ppt;*.pptx"},
    {{u".wmv"}, u"동영상 파일|*.wmv"},
};

const FilterRow kFileFilters[] = {
    {{u".hwp"}, u"한글 문서 파일|*.hwp"},
    {{u".doc", u".docx"}, u"마이크로소프트 워드 파일|*.doc;*.docx;"},
    {{u".xls", u".xlsx"}, u"마이크로소프트 엑셀 파일|*.xls;*.xlsx;"},
    {{u".ppt", u".pptx"}, u"마이크로소프트 파워포인트 파일|*.ppt;*.pptx;"},
    {{u".jpg", u".bmp", u".png"}, u"이미지파일|*.jpg;*.bmp;*.png;"},
    {{u".swf"}, u"플래시 파일|*.swf"},
    {{u".pdf"}, u"PDF 파일|*.pdf"},
    {{u".wmv"}, u"동영상 파일|*.wmv"},
};

const char16_t kAllFilesFilter[] = u"모든 파일|*.*";

template <std::size_t N>
Text LookUpFilter(const FilterRow (&table)[N], const Text& fileName) {
  Text ext = LowerCaseAscii(ExtractFileExt(fileName));
  for (const FilterRow& row : table)
    for (const char16_t* candidate : row.extensions)
      if (candidate && ext == candidate) return row.filter;
  return Text();
}

// Presets the dialog with `name`, runs it and copies `source` to the chosen
// file. Nothing when the reader cancels.
std::optional<bool> SaveCopy(FileDialog& dialog, Files& files, const Text& source, const Text& name) {
  dialog.SetFileName(name);
  if (!dialog.Execute()) return std::nullopt;
  return files.Copy(ToAnsi(source), ToAnsi(dialog.FileName()));
}

}  // namespace

Text DocumentFilter(const Text& fileName) { return LookUpFilter(kDocumentFilters, fileName); }

Text FileFilter(const Text& fileName) {
  Text filter = LookUpFilter(kFileFilters, fileName);
  return filter.empty() ? Text(kAllFilesFilter) : filter;
}

void ImgCopy(const Text& tail, const CommandPorts& ports) {
  // The book's <Book>_Page_Img\contents\ folder, spelled as the viewer always
  // has: Windows does not mind the letter case, and the Linux file ports
  // find each name without regard to it.
  Text source = ports.book.folder + ports.book.baseName + u"_page_img\\contents\\" + tail;
  SaveCopy(ports.imgSaveDialog, ports.files, source, tail);
}

void DocCopy(const Text& tail, const CommandPorts& ports) {
  Text filter = DocumentFilter(tail);
  // Without a row the dialog keeps whatever filter an earlier export left.
  if (!filter.empty()) ports.fileSaveDialog.SetFilter(filter);
  SaveCopy(ports.fileSaveDialog, ports.files, ports.book.folder + tail, tail);
}

void CopyAttachedFile(const Text& tail, const CommandPorts& ports) {
  Split fields = SplitAtFirst(tail, kSeparator);
  // A tail without its second field names no file; it is ignored rather than
  // guessed at.
  if (!fields.found) return;
  const Text& folder = fields.head;
  const Text& name = fields.tail;
  ports.fileSaveDialog.SetFilter(FileFilter(name));
  std::optional<bool> copied =
      SaveCopy(ports.fileSaveDialog, ports.files, ports.book.folder + folder + u"\\" + name, name);
  if (!copied) return;
  if (*copied)
    ports.messages.ShowMessage(name + u" 파일이 저장되었습니다.");
  else
    ports.messages.ShowMessage(name + u" 파일 저장 실패\n경로를 확인해 주세요.");
}

}  // namespace vellix
