#pragma once
// Program texts are UTF-16, as the Flash control's BSTRs are. These are the
// few string routines the viewer needs, with the class library's meanings.
#include <cstddef>
#include <string>

namespace vellix {

using Text = std::u16string;

// Every occurrence of `from` replaced by `to`, left to right; replaced text is
// not scanned again. An empty `from` leaves `s` unchanged.
Text ReplaceAll(const Text& s, const Text& from, const Text& to);

// 1-based position of the first `sub` in `s`; 0 when absent.
std::size_t Pos(const Text& sub, const Text& s);

// `count` characters from the 1-based `index`, clipped to the text; an index
// below 1 counts as 1.
Text Copy(const Text& s, std::ptrdiff_t index, std::ptrdiff_t count);

// The part before the first `sep` and the part after it; when `sep` is absent
// the head is the whole text and the tail is empty.
struct Split {
  Text head;
  Text tail;
  bool found = false;
};
Split SplitAtFirst(const Text& s, const Text& sep);

// File-name parts of Windows paths ("\" separates folders, ":" ends a drive).
Text ExtractFilePath(const Text& path);   // up to and including the last "\" or ":"
Text ExtractFileName(const Text& path);   // after the last "\" or ":"
Text ExtractFileExt(const Text& path);    // last "." of the file name on, dot included
Text ChangeFileExt(const Text& path, const Text& ext);
// The folder without its trailing backslash; a drive root ("C:\") keeps it.
Text ExtractFileDir(const Text& path);

// ASCII letters A-Z lowered; everything else unchanged.
Text LowerCaseAscii(const Text& s);

// UTF-8 <-> UTF-16 for literals, logs and tests. Invalid input becomes U+FFFD.
Text FromUtf8(const std::string& s);
std::string ToUtf8(const Text& s);

}  // namespace vellix
