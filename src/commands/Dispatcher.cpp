#include "commands/Dispatcher.h"

#include "commands/AttachmentExport.h"
#include "commands/MemoStore.h"
#include "commands/NoteLists.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

const Text kSeparator = u"@@@";
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

}  // namespace

void Dispatcher::FlashPlayerFSCommand(const Text& command, const Text& args) {
  Text normalised = ReplaceAll(args, u"/", u"\\");
  if (command == u"function") {
    ports_.popups.ShowPopUpForm(normalised);
    return;
  }
  Split parts = SplitAtFirst(normalised, kSeparator);
  if (normalised == u"function_full") {
    ports_.window.Maximize();
    return;
  }
  if (normalised == u"function_close") {
    ports_.window.Close();
    return;
  }
  if (normalised == u"function_forward") {
    ports_.window.BringToFront();
  } else {
    // Every other request is offered to the shell whole, named commands
    // included; the shell quietly fails on what it cannot open.
    ports_.shell.Open(ShellOwner::BookWindow, ToAnsi(normalised), std::string(), std::string(), kShowNormal);
  }
  // "/" was replaced one character by one, so the raw tail starts where the
  // normalised one does.
  Text rawTail = parts.found ? args.substr(parts.head.size() + kSeparator.size()) : Text();
  RunHeadCommand(parts.head, parts.tail, rawTail);
}

void Dispatcher::RunHeadCommand(const Text& head, const Text& tail, const Text& rawTail) {
  if (head == u"function_imgcopy")
    ImgCopy(tail, ports_);
  else if (head == u"function_doccopy")
    DocCopy(tail, ports_);
  else if (head == u"function_copyfile")
    CopyAttachedFile(tail, ports_);
  else if (head == u"function_saveTextFile")
    SaveTextFile(tail, rawTail, ports_);
  else if (head == u"function_loadTextFile")
    LoadTextFile(ports_);
  else if (head == u"function_searchList")
    SearchList(tail, ports_);
  else if (head == u"function_InputParameter")
    InputParameter(ports_);
  else if (head == u"function_TxtListSaveToFile")
    TxtListSaveToFile(tail, ports_);
  else if (head == u"function_show")
    Show(tail);
}

// function_show: program@@@argument, the program below the executable's
// folder, started with its one argument in double quotes and no owner.
void Dispatcher::Show(const Text& tail) {
  Split fields = SplitAtFirst(tail, kSeparator);
  // Without its second field the request names no program; it is ignored.
  if (!fields.found) return;
  Text file = u"\"" + ExtractFileDir(ports_.environment.ExecutablePath()) + u"\\" + fields.head + u"\"";
  Text parameters = u"\"" + fields.tail + u"\"";
  ports_.shell.Open(ShellOwner::None, ToAnsi(file), ToAnsi(parameters), std::string(), kShowNormal);
}

}  // namespace vellix
