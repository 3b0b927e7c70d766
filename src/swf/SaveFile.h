#pragma once
#include <filesystem>
#include <string>

namespace vellix::swf {

// Writes `bytes` to `path`, creating its folders: first beside it, then
// renamed over it, so that a failed build never leaves half a movie. False,
// with `error` set, on failure.
bool SaveFile(const std::filesystem::path& path, const std::string& bytes, std::string& error);

}  // namespace vellix::swf
