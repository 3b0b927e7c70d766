#include "commands/NoteLists.h"

#include "commands/TextFile.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

const Text kSeparator = u"@@@";

// The name without the text from its last "." on.
Text WithoutExtension(const Text& name) {
  std::size_t dot = name.rfind(u'.');
  return dot == Text::npos ? name : name.substr(0, dot);
}

}  // namespace

void SearchList(const Text& tail, const CommandPorts& ports) {
  Text list;
  for (const Text& name : ports.search.Find(ports.book.executableDir + u"\\" + tail + u"\\*.txt"))
    list += name + kSeparator;
  ports.movie.SetVariable(u"resultList", list);
}

void TxtListSaveToFile(const Text& tail, const CommandPorts& ports) {
  Split fields = SplitAtFirst(tail, kSeparator);
  // Without its second field the request names no list file; it is ignored.
  if (!fields.found) return;
  // Both texts become file names: what the code page cannot hold is lost
  // here already, so the search and the file name agree.
  Text folder = FromAnsi(ToAnsi(fields.head));
  Text suffix = FromAnsi(ToAnsi(fields.tail));
  // The folder texts of the movie follow the executable's folder after one
  // more "\\"; the folder text may climb out with "..".
  const Text& dir = ports.book.executableDir;

  Text record = u"&name=";
  bool first = true;
  for (const Text& name : ports.search.Find(dir + u"\\" + folder + u"\\*.txt")) {
    if (name.find(u"TxtList") != Text::npos) continue;
    if (!first) record += u',';
    record += WithoutExtension(name);
    first = false;
  }
  record += u'&';

  Text path = ReplaceAll(dir + u"\\" + folder + u"\\TxtList" + suffix, u"\\\\\\", u"\\");
  // A list file that cannot be written is dropped: the command has no reply.
  WriteTextFile(ports.files, ToAnsi(path), ToAnsi(record));
}

void InputParameter(const CommandPorts& ports) { ports.movie.SetVariable(u"변수명", ports.environment.Argument1()); }

}  // namespace vellix
