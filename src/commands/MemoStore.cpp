#include "commands/MemoStore.h"

#include "commands/TextFile.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

const Text kSeparator = u"@@@";
const Text kMemoFolder = u"TxtData";

}  // namespace

std::optional<Text> FindRemovableRoot(Drives& drives) {
  for (const Text& root : drives.Roots()) {
    if (!root.empty() && drives.Type(ToAnsi(root)) == Drives::kRemovable) return root;
  }
  return std::nullopt;
}

Text MemoFolder(const Text& root) { return root + kMemoFolder + (root.empty() ? u'\\' : root.back()); }

void SaveTextFile(const Text& tail, const Text& rawTail, const CommandPorts& ports) {
  Split fields = SplitAtFirst(tail, kSeparator);
  // Without its second field the request names no file: nothing is written.
  if (!fields.found) {
    ports.movie.SetVariable(u"saveSuccess", u"fail");
    return;
  }
  // The memo keeps the reader's "/" characters: it is cut from the tail as the
  // movie sent it. Only "/" was replaced, one character by one, so the
  // separator stands at the same place in both.
  Text memo = rawTail.substr(0, fields.head.size());
  const Text& fileName = fields.tail;

  std::optional<Text> root = FindRemovableRoot(ports.drives);
  if (!root) {
    ports.movie.SetVariable(u"saveSuccess", u"fail");
    return;
  }
  ports.files.CreateFolder(ToAnsi(*root + kMemoFolder));
  // A memo that could not be stored completely is reported as failed.
  bool written = WriteTextFile(ports.files, ToAnsi(MemoFolder(*root) + fileName), ToAnsi(memo));
  ports.movie.SetVariable(u"saveSuccess", written ? u"success" : u"fail");
}

void LoadTextFile(const CommandPorts& ports) {
  std::optional<Text> root = FindRemovableRoot(ports.drives);
  if (!root) {
    ports.movie.SetVariable(u"loadSuccess", u"fail");
    return;
  }
  ports.movie.SetVariable(u"loadTxt", MemoFolder(*root));
  ports.movie.SetVariable(u"loadSuccess", u"success");
}

}  // namespace vellix
