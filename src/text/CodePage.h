#pragma once
// The system's ANSI code page: 8-bit texts for ANSI Windows calls and for the
// files the viewer reads and writes. Windows uses CP_ACP; the native build
// uses code page 949 so that the core behaves as on the viewer's Korean
// systems. Characters the code page cannot represent become "?", as
// WideCharToMultiByte does by default; invalid bytes read back become "?" too.
#include <string>

#include "text/Text.h"

namespace vellix {

std::string ToAnsi(const Text& text);
Text FromAnsi(const std::string& bytes);

}  // namespace vellix
