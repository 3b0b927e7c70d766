#include "linux/BookLocation.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace vellix {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool HasExtension(const fs::path& p, const char* ext) { return Lower(p.extension().string()) == ext; }

// An entry of `folder` named `name` without regard to letter case.
bool HasEntry(const fs::path& folder, const std::string& name, bool wantFolder) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (Lower(entry.path().filename().string()) != Lower(name)) continue;
    if (entry.is_directory(ec) == wantFolder) return true;
  }
  return false;
}

}  // namespace

BookLocation LocateBook(const std::string& given) {
  BookLocation result;
  std::error_code ec;
  if (given.empty()) {
    result.error = "No book was named.";
    return result;
  }
  fs::path path = fs::absolute(given, ec);
  if (ec || !fs::exists(path, ec)) {
    result.error = "There is no file or folder " + given + ".";
    return result;
  }
  path = fs::weakly_canonical(path, ec);
  if (fs::is_directory(path, ec)) {
    std::vector<fs::path> movies;
    for (const auto& entry : fs::directory_iterator(path, ec))
      if (entry.is_regular_file(ec) && HasExtension(entry.path(), ".swf")) movies.push_back(entry.path());
    if (ec) {
      result.error = "The folder " + given + " cannot be read.";
      return result;
    }
    std::vector<fs::path> books;
    for (const fs::path& movie : movies) {
      const std::string base = movie.stem().string();
      if (HasEntry(path, base + "_Page_Img", true) || HasEntry(path, base + ".exe", false)) books.push_back(movie);
    }
    if (books.empty() && movies.size() == 1) books = movies;
    if (books.empty()) {
      result.error = movies.empty() ? "The folder " + given + " holds no book (no .swf movie)."
                                    : "The folder " + given + " holds several movies and none of them is a book.";
      return result;
    }
    if (books.size() > 1) {
      result.error = "The folder " + given + " holds several books; name the one to open:";
      for (const fs::path& book : books) result.error += " " + book.filename().string();
      return result;
    }
    path = books.front();
  } else if (!fs::is_regular_file(path, ec)) {
    result.error = given + " is not a book.";
    return result;
  }
  if (HasExtension(path, ".exe")) {
    result.executable = path.string();
  } else if (HasExtension(path, ".swf")) {
    fs::path exe = path;
    exe.replace_extension(".exe");
    result.executable = exe.string();
  } else {
    result.error = given + " is not a book: name its .exe, its .swf or its folder.";
  }
  return result;
}

}  // namespace vellix
