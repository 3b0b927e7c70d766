#include "commands/Dispatcher.h"

#include "commands/AttachmentExport.h"
#include "commands/MemoStore.h"
#include "commands/NoteLists.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

const Text kSeparator = u"@@@";
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

// function_show: program@@@argument, the program below the executable's
// folder, started with its one argument in double quotes and no owner.
void Show(const CommandPorts& ports, const Text& tail) {
  Split fields = SplitAtFirst(tail, kSeparator);
  // Without its second field the request names no program; it is ignored.
  if (!fields.found) return;
  Text file = u"\"" + ports.book.executableDir + u"\\" + fields.head + u"\"";
  Text parameters = u"\"" + fields.tail + u"\"";
  ports.shell.Open(ShellOwner::None, ToAnsi(file), ToAnsi(parameters), std::string(), kShowNormal);
}

void RunHeadCommand(const CommandPorts& ports, const Text& head, const Text& tail, const Text& rawTail) {
  if (head == u"function_imgcopy")
    ImgCopy(tail, ports);
  else if (head == u"function_doccopy")
    DocCopy(tail, ports);
  else if (head == u"function_copyfile")
    CopyAttachedFile(tail, ports);
  else if (head == u"function_saveTextFile")
    SaveTextFile(tail, rawTail, ports);
  else if (head == u"function_loadTextFile")
    LoadTextFile(ports);
  else if (head == u"function_searchList")
    SearchList(tail, ports);
  else if (head == u"function_InputParameter")
    InputParameter(ports);
  else if (head == u"function_TxtListSaveToFile")
    TxtListSaveToFile(tail, ports);
  else if (head == u"function_show")
    Show(ports, tail);
}

}  // namespace

void FlashPlayerFSCommand(const CommandPorts& ports, const Text& command, const Text& args) {
  Text normalised = ReplaceAll(args, u"/", u"\\");
  if (command == u"function") {
    ports.popups.ShowPopUpForm(normalised);
    return;
  }
  Split parts = SplitAtFirst(normalised, kSeparator);
  if (normalised == u"function_full") {
    ports.window.Maximize();
    return;
  }
  if (normalised == u"function_close") {
    ports.window.Close();
    return;
  }
  if (normalised == u"function_forward") {
    ports.window.BringToFront();
  } else {
    // Every other request is offered to the shell whole, named commands
    // included; the shell quietly fails on what it cannot open.
    ports.shell.Open(ShellOwner::BookWindow, ToAnsi(normalised), std::string(), std::string(), kShowNormal);
  }
  // "/" was replaced one character by one, so the raw tail starts where the
  // normalised one does.
  Text rawTail = parts.found ? args.substr(parts.head.size() + kSeparator.size()) : Text();
  RunHeadCommand(ports, parts.head, parts.tail, rawTail);
}

}  // namespace vellix
