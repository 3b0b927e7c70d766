#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/FileSystemPath.h"
#include "os/Ports_linux.h"

namespace vellix {
namespace {

// The text inside one pair of double quotes around it; the text itself when
// it is not quoted.
Text Unquoted(const Text& text) {
  if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') return text.substr(1, text.size() - 2);
  return text;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsSchemeCharacter(char16_t c) {
  return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The scheme of an address: a letter, then letters, digits, "+", "-" or ".",
// then ":". One letter is a Windows drive ("C:\"), not a scheme. Empty when
// the text does not start with a scheme.
Text SchemeOf(const Text& text) {
  std::size_t colon = text.find(u':');
  if (colon == Text::npos || colon < 2 || !IsAsciiLetter(text[0])) return Text();
  for (std::size_t i = 1; i < colon; ++i)
    if (!IsSchemeCharacter(text[i])) return Text();
  return LowerCaseAscii(text.substr(0, colon));
}

// Web and mail addresses, and any other scheme written with "//" (which the
// core hands over as "\\"): what the Windows shell gives to a registered
// protocol handler.
bool IsAddress(const Text& text) {
  Text scheme = SchemeOf(text);
  if (scheme.empty()) return false;
  if (scheme == u"http" || scheme == u"https" || scheme == u"mailto") return true;
  Text rest = text.substr(scheme.size() + 1);
  return rest.compare(0, 2, u"\\\\") == 0 || rest.compare(0, 2, u"//") == 0;
}

// The address as a URI: the movie's "/" back in place of the core's "\", the
// scheme in lower case, and what a URI cannot hold (blanks, control
// characters, quotes, angle brackets, every non-ASCII byte of the UTF-8 text)
// percent-encoded. A "%" already there is left alone.
std::string AddressUri(const Text& text) {
  Text scheme = SchemeOf(text);
  std::string utf8 = ToUtf8(scheme + ReplaceAll(text.substr(scheme.size()), u"\\", u"/"));
  std::string uri;
  for (unsigned char c : utf8) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsAbsolute(const Text& text) { return !text.empty() && IsSeparator(text[0]); }
// "\\server\share": a network share, which names no file here (read as a
// local path it would name another file).
bool IsNetworkPath(const Text& text) { return text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]); }

// The native path of a file text: absolute as it stands, otherwise below the
// book's folder; "\" read as "/", names found without regard to case. Empty
// when the text cannot name a file.
std::string Resolve(const Text& text, const Text& bookFolder) {
  Text path = text;
  if (!IsAbsolute(text)) {
    path = bookFolder;
    if (!path.empty() && path.back() != u'/' && path.back() != u'\\') path += u'/';
    path += text;
  }
  std::string native = FileSystemPath(path);
  if (native.find('\0') != std::string::npos) return std::string();
  if (!native.empty() && native[0] != '/') {
    // A relative book folder: the program started elsewhere must still find
    // the file, so the path is made absolute here.
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return std::string();
    native = std::string(cwd) + "/" + native;
    std::free(cwd);
  }
  return native;
}

bool EndsWithExe(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return tail == ".exe";
}

}  // namespace

ShellAction DecideShellOpen(const Text& file, const Text& parameters, const Text& bookFolder,
                            const std::string& wine) {
  ShellAction action;
  Text text = Unquoted(file);
  // An empty text names nothing; it must not open the book's own folder.
  if (text.empty()) return action;
  if (IsAddress(text)) {
    action.kind = ShellAction::Kind::OpenAddress;
    action.target = AddressUri(text);
    return action;
  }

  if (IsNetworkPath(text)) return action;
  std::string path = Resolve(text, bookFolder);
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) return action;

  // A program named with its argument (function_show): a Windows program
  // runs under wine, with the argument as one argument and its own folder as
  // the working folder.
  bool withArgument = !parameters.empty();
  if (withArgument && S_ISREG(info.st_mode) && EndsWithExe(path) && !wine.empty()) {
    action.kind = ShellAction::Kind::StartProgram;
    action.argv = {wine, path, ToUtf8(Unquoted(parameters))};
    std::size_t slash = path.rfind('/');
    action.folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    return action;
  }
  // Everything else, a Windows program without wine included, goes to the
  // desktop's default handler. A default handler takes a file and nothing
  // more: the argument of function_show cannot be passed on then.
  action.kind = ShellAction::Kind::OpenFile;
  action.target = path;
  return action;
}

}  // namespace vellix
