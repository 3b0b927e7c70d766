#pragma once
// The files the viewer writes are text-mode files of the C runtime: each line
// feed is stored as carriage return and line feed. The translation is done
// here, on the bytes, so that it is the same on every platform.
#include <string>

#include "commands/CommandPorts.h"

namespace vellix {

// Every LF byte becomes CR LF; all other bytes, a lone CR included, stay.
std::string ToTextModeBytes(const std::string& bytes);

// Writes `bytes` in text mode to `path`, replacing the file as a whole: a
// save that fails leaves neither a truncated file nor a lost earlier one.
bool WriteTextFile(Files& files, const std::string& path, const std::string& bytes);

}  // namespace vellix
