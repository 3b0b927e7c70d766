#include "BookTool.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>

#include "app/InstallerTrailer.h"
#include "app/StdioFile.h"
#include "book/WindowSettings.h"
#include "settings/VellixTxtParser.h"
#include "swf/MovieFacts.h"
#include "text/CodePage.h"
#include "text/Text.h"

namespace fs = std::filesystem;

namespace vellix {

namespace {

const char kUsage[] =
    "usage:\n"
    "  vellix-book pack <launcher.exe> <installer.exe> <out-folder> <Book>\n"
    "      Writes <out-folder>/<Book>.exe: the launcher, then the installer, then\n"
    "      the installer's length as 4 bytes, most significant byte first.\n"
    "  vellix-book check [--screen WIDTHxHEIGHT] <book-folder-exe-or-swf>\n"
    "      Reports what the viewer will do with the book: its files, its movie,\n"
    "      the settings it reads from <Book>_Page_Img/Page_Var.txt, the window it\n"
    "      opens and the installer appended to the executable. The screen is\n"
    "      1920x1080 unless --screen names another.\n"
    "  vellix-book movie <file.swf>\n"
    "      Prints the facts of a movie: compression, version, ActionScript 2 or 3,\n"
    "      stage size, frame rate and count, background colour.\n"
    "exit status: 0 fine, 1 the book will not open as intended, 2 usage or file error\n";

// The window's outer size before the settings are applied: the designed
// 800 x 600 client area plus a usual frame.
const Size kDesignedWindow{816, 638};

// Ends a command with a message on the error stream.
struct ToolError {
  std::string message;
};

struct UsageError {
  std::string message;
};

std::string Show(const fs::path& p) { return p.u8string(); }

Text PathText(const fs::path& p) { return FromUtf8(p.u8string()); }

// A text for one line of output: quoted, control characters escaped.
std::string Quoted(const Text& t) {
  std::string s = ToUtf8(t);
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      static const char hex[] = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string ReadBytes(const fs::path& p, const std::string& what) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) throw ToolError{what + " not found: " + Show(p)};
  std::ifstream in(p, std::ios::binary);
  if (!in) throw ToolError{"cannot open " + what + ": " + Show(p)};
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError{"cannot read " + what + ": " + Show(p)};
  return bytes;
}

bool IsWindowsExecutable(const std::string& bytes) { return bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z'; }

// The bytes of a file held in memory, for the trailer check.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::string& bytes) : bytes_(bytes) {}
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    if (count) std::memcpy(buffer, bytes_.data() + offset, count);
    return true;
  }

 private:
  const std::string& bytes_;
};

// ---------------------------------------------------------------- pack

std::string BookName(std::string name) {
  if (name.size() > 4 && LowerCaseAscii(FromUtf8(name.substr(name.size() - 4))) == u".exe")
    name.resize(name.size() - 4);
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:*?\"<>|") != std::string::npos)
    throw UsageError{"the book name must be a plain file name without folders, such as Sample"};
  return name;
}

int Pack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 4) throw UsageError{"pack takes four arguments"};
  const fs::path launcherPath(args[0]);
  const fs::path installerPath(args[1]);
  const fs::path folder(args[2]);
  const std::string book = BookName(args[3]);

  const std::string launcher = ReadBytes(launcherPath, "launcher");
  const std::string installer = ReadBytes(installerPath, "installer");
  if (launcher.empty()) throw ToolError{"the launcher is empty: " + Show(launcherPath)};
  if (installer.empty()) throw ToolError{"the installer is empty, there is nothing to append: " + Show(installerPath)};
  if (installer.size() != static_cast<std::uint32_t>(installer.size())) throw ToolError{"the installer is larger than 4 GB: " + Show(installerPath)};
  if (!IsWindowsExecutable(launcher)) err << "warning: the launcher is not a Windows executable\n";
  if (!IsWindowsExecutable(installer)) err << "warning: the installer is not a Windows executable\n";
  MemorySource launcherSource(launcher);
  if (FindAppendedInstaller(launcher.size(), launcherSource).found())
    err << "warning: the launcher already carries an installer; the new one is appended after it\n";

  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) throw ToolError{"cannot create the folder " + Show(folder)};
  const fs::path target = folder / (book + ".exe");
  const fs::path partial = folder / (book + ".exe.partial");

  // Written beside the target and renamed over it, so that a failure never
  // leaves a truncated book executable behind.
  const auto trailer = EncodeTrailer(static_cast<std::uint32_t>(installer.size()));
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file.write(launcher.data(), static_cast<std::streamsize>(launcher.size()));
    file.write(installer.data(), static_cast<std::streamsize>(installer.size()));
    file.write(reinterpret_cast<const char*>(trailer.data()), static_cast<std::streamsize>(trailer.size()));
    file.close();
    if (!file) {
      fs::remove(partial, ec);
      throw ToolError{"cannot write " + Show(partial)};
    }
  }
  fs::rename(partial, target, ec);
  if (ec) {
    fs::remove(partial, ec);
    throw ToolError{"cannot write " + Show(target)};
  }
  out << "wrote " << Show(target) << ": launcher " << launcher.size() << " bytes + installer " << installer.size()
      << " bytes + 4-byte trailer = " << launcher.size() + installer.size() + 4 << " bytes\n";
  return kBookOk;
}

// ---------------------------------------------------------------- movies

std::string Hex(std::uint32_t v, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) out[static_cast<std::size_t>(i)] = hex[v & 15];
  return out;
}

std::string Number(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

const char* Kind(const swf::MovieFacts& f) {
  return f.actionScript3() ? "ActionScript 3 (AVM2)" : "ActionScript 2 (AVM1)";
}

swf::MovieRead ReadMovie(const std::string& bytes) {
  return swf::ReadMovieFacts({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                             swf::MovieScan::kWholeMovie);
}

// The facts of a movie that was read, one per line, with `indent` before each.
void PrintMovieFacts(const swf::MovieFacts& f, const std::string& indent, std::ostream& out) {
  out << indent << "kind        " << Kind(f) << "\n";
  out << indent << "version     " << f.version << "\n";
  out << indent << "compression " << swf::DescribeCompression(f.compression) << "\n";
  out << indent << "length      " << f.fileLength << " bytes uncompressed\n";
  out << indent << "stage       " << Number(f.widthPixels()) << " x " << Number(f.heightPixels()) << " pixels ("
      << f.widthTwips() << " x " << f.heightTwips() << " twips)\n";
  out << indent << "frame rate  " << Number(f.frameRate()) << " per second\n";
  out << indent << "frames      " << f.frameCount << "\n";
  out << indent << "background  "
      << (f.background ? "#" + Hex(f.background->r, 2) + Hex(f.background->g, 2) + Hex(f.background->b, 2)
                       : std::string("none (the player's default, white)"))
      << "\n";
}

// What a whole-movie scan shows that players may stumble over.
std::vector<std::string> MovieWarnings(const swf::MovieFacts& f) {
  std::vector<std::string> w;
  if (f.actionScript3() && !f.hasAbc) w.push_back("the movie is marked ActionScript 3 but holds no ActionScript 3 code");
  if (!f.actionScript3() && f.hasAbc)
    w.push_back("the movie holds ActionScript 3 code but is not marked ActionScript 3: players ignore that code");
  if (f.framesFound != f.frameCount)
    w.push_back("the header gives " + std::to_string(f.frameCount) + " frames, the movie holds " +
                std::to_string(f.framesFound));
  if (!f.hasEndTag) w.push_back("the movie has no End tag");
  if (f.surplusData) w.push_back("the file holds data after the length its header gives; players ignore it");
  if (f.compression == swf::Compression::kLzma && f.version < 13)
    w.push_back("LZMA compression needs version 13 or later; this movie says " + std::to_string(f.version));
  if (f.compression == swf::Compression::kZlib && f.version < 6)
    w.push_back("zlib compression needs version 6 or later; this movie says " + std::to_string(f.version));
  return w;
}

int Movie(const std::vector<std::string>& args, std::ostream& out) {
  if (args.size() != 1) throw UsageError{"movie takes one movie file"};
  const fs::path path(args[0]);
  const std::string bytes = ReadBytes(path, "movie");
  const swf::MovieRead read = ReadMovie(bytes);
  out << "movie " << Quoted(PathText(path)) << "\n";
  out << "  file        " << bytes.size() << " bytes\n";
  if (!read.ok()) {
    out << "\nresult: not a playable movie: " << swf::DescribeMovieError(read.error) << "\n";
    return kBookProblems;
  }
  PrintMovieFacts(read.facts, "  ", out);
  const std::vector<std::string> warnings = MovieWarnings(read.facts);
  if (!warnings.empty()) out << "\nfindings:\n";
  for (const auto& w : warnings) out << "  warning: " << w << "\n";
  out << "\nresult: a movie (" << warnings.size() << (warnings.size() == 1 ? " warning)\n" : " warnings)\n");
  return kBookOk;
}

// ---------------------------------------------------------------- check

enum class Severity { Note, Warning, Error };

struct Findings {
  std::vector<std::pair<Severity, std::string>> items;
  void Add(Severity s, std::string text) { items.emplace_back(s, std::move(text)); }
  int Count(Severity s) const {
    int n = 0;
    for (const auto& i : items) n += i.first == s;
    return n;
  }
};

struct Located {
  fs::path path;
  bool exactCase = true;
};

// `name` in `folder`, found the way Windows finds it: letter case ignored.
std::optional<Located> Find(const fs::path& folder, const std::string& name, bool wantFolder) {
  std::error_code ec;
  auto fits = [&](const fs::path& p) { return wantFolder ? fs::is_directory(p, ec) : fs::is_regular_file(p, ec); };
  if (fits(folder / name)) return Located{folder / name, true};
  const Text wanted = LowerCaseAscii(FromUtf8(name));
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (LowerCaseAscii(PathText(it->path().filename())) == wanted && fits(it->path()))
      return Located{it->path(), false};
  }
  return std::nullopt;
}

// The book a path names: its executable, or its movie when the folder holds
// no executable (a book made for the Linux viewer only, or not packed yet).
struct BookFiles {
  fs::path folder;
  std::string base;
  std::optional<fs::path> exe;
};

BookFiles FromFile(const fs::path& file) {
  return {file.has_parent_path() ? file.parent_path() : fs::path("."), file.stem().u8string(),
          LowerCaseAscii(PathText(file.extension())) == u".swf" ? std::nullopt : std::optional<fs::path>(file)};
}

BookFiles ChooseBook(const fs::path& input) {
  std::error_code ec;
  if (!fs::exists(input, ec)) throw ToolError{"not found: " + Show(input)};
  if (!fs::is_directory(input, ec)) return FromFile(input);
  std::vector<fs::path> exes, movies;
  for (fs::directory_iterator it(input, ec), end; !ec && it != end; it.increment(ec)) {
    const Text ext = LowerCaseAscii(PathText(it->path().extension()));
    if (!fs::is_regular_file(it->path(), ec)) continue;
    if (ext == u".exe") exes.push_back(it->path());
    if (ext == u".swf") movies.push_back(it->path());
  }
  if (exes.empty()) {
    if (movies.size() == 1) return FromFile(movies.front());
    throw ToolError{"no book executable (.exe)" + std::string(movies.empty() ? " or movie (.swf)" : "") + " in " +
                    Show(input) + (movies.empty() ? "" : ", and several movies: name the book's one")};
  }
  if (exes.size() == 1) return FromFile(exes.front());
  std::vector<fs::path> withMovie;
  for (const auto& e : exes) {
    if (Find(input, e.stem().u8string() + ".swf", false)) withMovie.push_back(e);
  }
  if (withMovie.size() == 1) return FromFile(withMovie.front());
  std::string names;
  for (const auto& e : exes) names += " " + e.filename().u8string();
  throw ToolError{"several executables in " + Show(input) + ", name the book's one:" + names};
}

// Every pair of a settings file in file order, found with the reader's own
// scan but without its stop after "height" and without dropping repeats.
struct ScannedPair {
  Text key;
  Text value;
};
struct Scan {
  std::vector<ScannedPair> pairs;
  bool unclosedAtEnd = false;
};

Scan ScanAllPairs(const std::string& raw) {
  Scan scan;
  scan.unclosedAtEnd = ScanSettingsPairs(raw, [&scan](const Text& key, const Text& value, std::size_t) {
    scan.pairs.push_back({key, value});
    return true;
  });
  return scan;
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\n");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t\n") - b + 1);
}

void CheckSettings(const fs::path& folder, const std::string& base, Size screen, std::ostream& out,
                   Findings& findings) {
  const Text baseName = FromUtf8(base);
  std::optional<Located> settingsFolder = Find(folder, base + "_Page_Img", true);
  std::optional<Located> settings;
  if (settingsFolder) settings = Find(settingsFolder->path, "Page_Var.txt", false);
  const fs::path expected = folder / (base + "_Page_Img") / "Page_Var.txt";

  VellixTxtParser parser;
  int parsed = -1;
  if (!settings) {
    out << "  settings    missing  " << Show(expected) << "\n";
    findings.Add(Severity::Warning, "no settings file " + Show(expected) +
                                        ": the window is titled after the executable and maximised");
  } else {
    out << "  settings    found    " << Show(settings->path) << "\n";
    if (!settingsFolder->exactCase || !settings->exactCase)
      findings.Add(Severity::Note, "the settings path differs from " + Show(expected) +
                                       " in letter case only; Windows finds it all the same");
    const std::string raw = ReadBytes(settings->path, "settings file");
    parsed = 0;
    parser.ParseBytes(raw);

    out << "\nsettings as the viewer reads them:\n";
    if (parser.Values().empty()) out << "  (none)\n";
    for (const auto& [key, value] : parser.Values()) out << "  " << Quoted(key) << " = " << Quoted(value) << "\n";

    const Scan scan = ScanAllPairs(raw);
    std::size_t read = scan.pairs.size();
    for (std::size_t i = 0; i < scan.pairs.size(); ++i) {
      if (scan.pairs[i].key == u"height") {
        read = i + 1;
        break;
      }
    }
    if (read < scan.pairs.size()) {
      out << "\nnever read (the reader stops after \"height\"):\n";
      std::string keys;
      for (std::size_t i = read; i < scan.pairs.size(); ++i) {
        out << "  " << Quoted(scan.pairs[i].key) << " = " << Quoted(scan.pairs[i].value) << "\n";
        keys += (keys.empty() ? "" : ", ") + Quoted(scan.pairs[i].key);
      }
      findings.Add(Severity::Error, "settings after \"height\" are never read: " + keys +
                                        "; move them before the height line");
    }
    for (std::size_t i = 0; i < read; ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (scan.pairs[j].key == scan.pairs[i].key) {
          findings.Add(Severity::Warning, Quoted(scan.pairs[i].key) + " is set again to " +
                                              Quoted(scan.pairs[i].value) + "; the first value " +
                                              Quoted(scan.pairs[j].value) + " is kept");
          break;
        }
      }
    }
    if (parser.Values().count(Text()))
      findings.Add(Severity::Warning,
                   "a pair has an empty key: a pair without its own opening \"&\" (write one pair per line, "
                   "&key=value&)");
    if (scan.unclosedAtEnd && read == scan.pairs.size())
      findings.Add(Severity::Warning, "the last pair has no closing \"&\" and is not read");
    if (raw.find('\x1A') != std::string::npos)
      findings.Add(Severity::Warning, "the file holds a byte 26 (Ctrl-Z): nothing after it is read");

    auto stored = parser.Values().find(u"fullscreen");
    if (stored != parser.Values().end() && stored->second != u"true") {
      const std::string v = ToUtf8(LowerCaseAscii(FromUtf8(Trim(ToUtf8(stored->second)))));
      if (v == "true" || v == "1" || v == "yes" || v == "on")
        findings.Add(Severity::Warning, "fullscreen is " + Quoted(stored->second) +
                                            ": only the exact text true maximises the window");
    }
    if (!parser.Values().count(u"title") || parser.Values().at(u"title").empty())
      findings.Add(Severity::Warning, "no title: the window's caption is empty");
  }

  // The decision looks keys up, which adds absent ones to the reader's map;
  // the map was printed before.
  const WindowDecision d = DecideWindowSettings(parsed, parser, baseName, screen, kDesignedWindow);
  out << "\nwindow (on a " << screen.width << " x " << screen.height << " screen):\n";
  out << "  title       " << Quoted(d.title) << "\n";
  if (d.conversionError) {
    const Text width = parser.GetValue(u"width");
    const char* key = StrToInt(width) ? "height" : "width";
    out << "  error box   " << Quoted(*d.conversionError + u".") << "\n";
    out << "  geometry    designed size at the top-left corner, normal state\n";
    findings.Add(Severity::Error, std::string(key) + " is missing or not an integer: the viewer shows " +
                                      Quoted(*d.conversionError + u".") +
                                      " and opens the window at its designed size in the top-left corner");
    return;
  }
  if (d.explicitGeometry) {
    out << "  geometry    " << d.width << " x " << d.height << " at left " << d.left << ", top " << d.top << "\n";
    if (d.width > screen.width || d.height > screen.height)
      findings.Add(Severity::Note, "the requested size is larger than the screen");
  } else if (parsed == 0) {
    findings.Add(Severity::Note, "width or height is 0 or less: the window is maximised");
  }
  out << "  maximised   " << (d.maximized ? "yes" : "no") << "\n";
}

void CheckMovie(const fs::path& path, std::ostream& out, Findings& findings) {
  const swf::MovieRead read = ReadMovie(ReadBytes(path, "movie"));
  out << "\nmovie:\n";
  if (!read.ok()) {
    out << "  error       " << swf::DescribeMovieError(read.error) << "\n";
    findings.Add(Severity::Error, "the movie " + path.filename().u8string() + " cannot be played: " +
                                      swf::DescribeMovieError(read.error));
    return;
  }
  PrintMovieFacts(read.facts, "  ", out);
  if (read.facts.actionScript3())
    findings.Add(Severity::Warning,
                 "the movie is ActionScript 3: its commands arrive, but the viewer's replies set variables "
                 "(firstIndex, saveSuccess, loadTxt, loadSuccess, resultList, \xEB\xB3\x80\xEC\x88\x98\xEB\xAA\x85, "
                 "_root.BOOKLOAD_FIRSTPAGE) that such a movie cannot receive");
  for (const auto& w : MovieWarnings(read.facts)) findings.Add(Severity::Warning, w);
}

void CheckTrailer(const fs::path& exe, std::ostream& out, Findings& findings) {
  std::unique_ptr<StdioFile> file = StdioFile::Open(exe.string());
  std::optional<std::uint64_t> length = file ? file->Length() : std::nullopt;
  if (!length) throw ToolError{"cannot read " + Show(exe)};
  char head[2] = {};
  if (!file->ReadAt(0, head, 2) || head[0] != 'M' || head[1] != 'Z')
    findings.Add(Severity::Error, Show(exe) + " is not a Windows executable");
  const AppendedInstaller found = FindAppendedInstaller(*length, *file);
  out << "\nappended installer:\n";
  if (!found.found()) {
    out << "  none        " << DescribeTrailerError(found.error) << "\n";
    findings.Add(Severity::Error, std::string("the executable carries no installer (") +
                                      DescribeTrailerError(found.error) +
                                      "): where the Flash control is missing the viewer cannot install it; "
                                      "make the executable with 'vellix-book pack'");
    return;
  }
  out << "  installer   " << found.length << " bytes at offset " << found.offset << "\n";
  char installerHead[2] = {};
  if (!file->ReadAt(found.offset, installerHead, 2) || installerHead[0] != 'M' || installerHead[1] != 'Z')
    findings.Add(Severity::Warning, "the appended installer does not look like a Windows executable");
}

Size ParseScreen(const std::string& text) {
  std::size_t x = text.find_first_of("xX");
  auto number = [](const std::string& s) -> int {
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoi(s);
  };
  Size s;
  if (x != std::string::npos) s = Size{number(text.substr(0, x)), number(text.substr(x + 1))};
  if (s.width <= 0 || s.height <= 0) throw UsageError{"--screen takes WIDTHxHEIGHT, such as 1366x768"};
  return s;
}

int Check(const std::vector<std::string>& args, std::ostream& out) {
  Size screen{1920, 1080};
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--screen") {
      if (i + 1 >= args.size()) throw UsageError{"--screen needs a value"};
      screen = ParseScreen(args[++i]);
    } else if (args[i].rfind("--screen=", 0) == 0) {
      screen = ParseScreen(args[i].substr(9));
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 1) throw UsageError{"check takes one book folder or executable"};

  const BookFiles book = ChooseBook(fs::path(positional[0]));
  const fs::path& folder = book.folder;
  const std::string& base = book.base;
  Findings findings;

  out << "book " << Quoted(FromUtf8(base)) << "\n";
  if (book.exe) {
    out << "  executable  found    " << Show(*book.exe) << "\n";
  } else {
    out << "  executable  missing  " << Show(folder / (base + ".exe")) << "\n";
    findings.Add(Severity::Warning, "no " + base + ".exe: the book opens in the Linux viewer only; make the "
                                    "executable with 'vellix-book pack'");
  }
  const std::optional<Located> movie = Find(folder, base + ".swf", false);
  out << "  movie       " << (movie ? "found    " + Show(movie->path) : "missing  " + Show(folder / (base + ".swf")))
      << "\n";
  if (!movie)
    findings.Add(Severity::Error, "the movie " + base + ".swf is missing: the window opens empty");
  const std::optional<Located> icon = Find(folder, base + ".ico", false);
  out << "  icon        " << (icon ? "found    " + Show(icon->path) : "missing  " + Show(folder / (base + ".ico")))
      << "\n";
  if (!icon) findings.Add(Severity::Note, "no " + base + ".ico: the window shows the shell's icon for programs");
  if ((movie && !movie->exactCase) || (icon && !icon->exactCase))
    findings.Add(Severity::Note, "some file names differ from the book's name in letter case only; "
                                 "Windows finds them all the same");

  CheckSettings(folder, base, screen, out, findings);
  if (movie) CheckMovie(movie->path, out, findings);
  if (book.exe) CheckTrailer(*book.exe, out, findings);

  static const char* const kLabels[] = {"note", "warning", "error"};
  if (!findings.items.empty()) out << "\nfindings:\n";
  for (const auto& [severity, text] : findings.items)
    out << "  " << kLabels[static_cast<int>(severity)] << ": " << text << "\n";
  const int errors = findings.Count(Severity::Error);
  const int warnings = findings.Count(Severity::Warning);
  out << "\nresult: " << (errors ? "the book will not open as intended" : "the book opens as intended") << " ("
      << errors << (errors == 1 ? " error, " : " errors, ") << warnings
      << (warnings == 1 ? " warning)\n" : " warnings)\n");
  return errors ? kBookProblems : kBookOk;
}

}  // namespace

int RunBookTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      (args.empty() ? err : out) << kUsage;
      return args.empty() ? kBookFailed : kBookOk;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "pack") return Pack(rest, out, err);
    if (args[0] == "check") return Check(rest, out);
    if (args[0] == "movie") return Movie(rest, out);
    throw UsageError{"unknown command " + Quoted(FromUtf8(args[0]))};
  } catch (const UsageError& e) {
    err << "vellix-book: " << e.message << "\n\n" << kUsage;
  } catch (const ToolError& e) {
    err << "vellix-book: " << e.message << "\n";
  } catch (const std::exception& e) {
    err << "vellix-book: " << e.what() << "\n";
  } catch (...) {
    err << "vellix-book: unexpected failure\n";
  }
  return kBookFailed;
}

}  // namespace vellix
