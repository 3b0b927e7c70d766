#pragma once
// The export commands: the reader saves a copy of one of the book's attached
// files wherever they choose.
#include "commands/CommandPorts.h"

namespace vellix {

// function_imgcopy: an image of the contents folder, named by the tail.
void ImgCopy(const Text& tail, const CommandPorts& ports);
// function_doccopy: a document named by a path below the executable's folder.
void DocCopy(const Text& tail, const CommandPorts& ports);
// function_copyfile: folder@@@name below the executable's folder; the outcome
// is shown in a message.
void CopyAttachedFile(const Text& tail, const CommandPorts& ports);

// The filters offered for a file name; DocumentFilter is empty for the
// extensions it has no row for, which leave the dialog's filter alone.
Text DocumentFilter(const Text& fileName);
Text FileFilter(const Text& fileName);

}  // namespace vellix
