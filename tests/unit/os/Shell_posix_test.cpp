#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "commands/Dispatcher.h"
#include "commands/Fakes.h"
#include "os/Ports_linux.h"
#include "popup/ChildCommands.h"
#include "support/TempFolder.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

namespace fs = std::filesystem;

// Records what the shell would launch; wine is "installed" when `wine` is
// set.
class RecordingLauncher : public ShellLauncher {
 public:
  RecordingLauncher(std::vector<std::string>& journal, std::string wine) : journal_(journal), wine_(std::move(wine)) {}
  void OpenUri(const std::string& uri) override { journal_.push_back("uri " + uri); }
  void OpenFile(const std::string& path) override { journal_.push_back("file " + path); }
  void Spawn(const std::vector<std::string>& argv, const std::string& folder) override {
    std::string line = "spawn";
    for (const std::string& argument : argv) line += " [" + argument + "]";
    journal_.push_back(line + " in " + folder);
  }
  std::string FindProgram(const std::string& name) override { return name == "wine" ? wine_ : std::string(); }

 private:
  std::vector<std::string>& journal_;
  std::string wine_;
};

const char kWine[] = "/opt/wine/bin/wine";

// A book folder with a document, a Windows program and a text beside it.
class GioShellTest : public ::testing::Test {
 protected:
  GioShellTest() {
    dir_.Write("Book/Docs/Guide.PDF", "%PDF");
    dir_.Write("Book/\xEC\x9E\x90\xEB\xA3\x8C/\xEA\xB0\x80.hwp", "h");  // 자료/가.hwp
    dir_.Write("Book/Tools/Setup.EXE", "MZ");
    dir_.Write("Book/Tools/readme.txt", "r");
    fs::create_directories(dir_.Path() / "Book" / "Tools" / "Folder.exe");
  }
  // The book's folder as the core spells it in texts it builds.
  Text BookDir() const { return dir_.TextPath(u"Book"); }
  std::string Native(const std::string& below) const { return (dir_.Path() / "Book" / below).string(); }

  std::vector<std::string> Open(ShellOwner owner, const Text& file, const Text& parameters, bool wineInstalled) {
    std::vector<std::string> journal;
    GioShell shell(BookDir() + u"/", std::make_unique<RecordingLauncher>(journal, wineInstalled ? kWine : ""));
    shell.Open(owner, ToAnsi(file), ToAnsi(parameters), std::string(), 1);
    return journal;
  }

  testing::TempFolder dir_;
};

// The default open and the popups' open: the whole command text, every "/"
// already turned into "\", no parameters.
TEST_F(GioShellTest, DefaultOpenOfAddressesAndFiles) {
  const Text bookInCoreSpelling = ReplaceAll(BookDir(), u"/", u"\\");
  const struct {
    const char* name;
    Text file;
    std::vector<std::string> launched;
  } cases[] = {
      {"web address", u"http:\\\\example.com\\a\\b?q=1&r=2", {"uri http://example.com/a/b?q=1&r=2"}},
      {"secure address, scheme in capitals", u"HTTPS:\\\\Example.com\\X", {"uri https://Example.com/X"}},
      {"mail address", u"mailto:reader@example.com?subject=hi", {"uri mailto:reader@example.com?subject=hi"}},
      {"other scheme with \\\\", u"ftp:\\\\files.example.com\\x", {"uri ftp://files.example.com/x"}},
      {"blanks and Korean percent-encoded", u"http:\\\\example.com\\\uAC00 b", {"uri http://example.com/%EA%B0%80%20b"}},
      {"a drive letter is no scheme", u"C:\\Books\\Docs\\Guide.pdf", {}},
      {"a scheme without \\\\ is no address", u"news:comp.lang", {}},
      {"file below the book folder, any case", u"docs\\guide.pdf", {"file " + Native("Docs/Guide.PDF")}},
      {"Korean file name", u"\uC790\uB8CC\\\uAC00.HWP", {"file " + Native("\xEC\x9E\x90\xEB\xA3\x8C/\xEA\xB0\x80.hwp")}},
      {"absolute path", bookInCoreSpelling + u"\\DOCS\\GUIDE.pdf", {"file " + Native("Docs/Guide.PDF")}},
      {"a network share is no local path", u"\\\\" + bookInCoreSpelling.substr(1) + u"\\Docs\\Guide.PDF", {}},
      {"quoted file", u"\"Docs\\Guide.PDF\"", {"file " + Native("Docs/Guide.PDF")}},
      {"climbing out and back", u"..\\Book\\Docs\\Guide.PDF", {"file " + Native("Docs/Guide.PDF")}},
      {"a folder", u"Docs", {"file " + Native("Docs")}},
      {"a Windows program without its argument goes to the default handler", u"tools\\setup.exe",
       {"file " + Native("Tools/Setup.EXE")}},
      {"missing file", u"Docs\\Missing.pdf", {}},
      {"empty text: not the book folder", u"", {}},
      {"empty quotes", u"\"\"", {}},
      {"a command text", u"function_copyfile@@@docs\\2010@@@report.hwp", {}},
      {"a command without a separator", u"function_loadTextFile", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Open(ShellOwner::BookWindow, c.file, u"", true), c.launched);
  }
}

// function_show: the quoted path below the book folder and the quoted
// argument.
TEST_F(GioShellTest, ProgramsWithTheirArgument) {
  const Text dir = ReplaceAll(BookDir(), u"/", u"\\");
  const std::string tools = Native("Tools");
  const std::string setup = Native("Tools/Setup.EXE");
  const struct {
    const char* name;
    Text file;
    Text parameters;
    bool wine;
    std::vector<std::string> launched;
  } cases[] = {
      {"program under wine", u"\"" + dir + u"\\tools\\setup.exe\"", u"\"12\"", true,
       {"spawn [" + std::string(kWine) + "] [" + setup + "] [12] in " + tools}},
      {"the argument stays one argument", u"\"" + dir + u"\\Tools\\Setup.exe\"", u"\"a b \uAC00\"", true,
       {"spawn [" + std::string(kWine) + "] [" + setup + "] [a b \xEA\xB0\x80] in " + tools}},
      {"an empty argument is still passed", u"\"" + dir + u"\\Tools\\Setup.exe\"", u"\"\"", true,
       {"spawn [" + std::string(kWine) + "] [" + setup + "] [] in " + tools}},
      {"climbing out and back", u"\"" + dir + u"\\..\\book\\tools\\SETUP.EXE\"", u"\"1\"", true,
       {"spawn [" + std::string(kWine) + "] [" + setup + "] [1] in " + tools}},
      {"without wine the default handler", u"\"" + dir + u"\\tools\\setup.exe\"", u"\"12\"", false,
       {"file " + setup}},
      {"another file: the default handler, without its argument", u"\"" + dir + u"\\Tools\\README.TXT\"",
       u"\"12\"", true, {"file " + Native("Tools/readme.txt")}},
      {"a folder named like a program is no program", u"\"" + dir + u"\\Tools\\folder.exe\"", u"\"12\"", true,
       {"file " + Native("Tools/Folder.exe")}},
      {"missing program", u"\"" + dir + u"\\Tools\\absent.exe\"", u"\"12\"", true, {}},
      {"missing program, no wine", u"\"" + dir + u"\\Tools\\absent.exe\"", u"\"12\"", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Open(ShellOwner::None, c.file, c.parameters, c.wine), c.launched);
  }
}

// Through the dispatcher and the popups' command: the whole command text is
// offered to the shell first and opens nothing; the program starts once.
TEST_F(GioShellTest, CommandsReachTheShellAsOnWindows) {
  std::vector<std::string> journal;
  GioShell shell(BookDir() + u"/", std::make_unique<RecordingLauncher>(journal, kWine));
  testing::FakeWorld world;
  world.executable = BookDir() + u"/Sample.exe";
  CommandPorts fakes = world.Ports();
  CommandPorts ports{fakes.book,          fakes.window,        fakes.movie,          fakes.popups,
                     shell,               fakes.imgSaveDialog, fakes.fileSaveDialog, fakes.messages,
                     fakes.files,         fakes.search,        fakes.drives,         fakes.environment};

  FlashPlayerFSCommand(ports, u"", u"function_show@@@tools/setup.exe@@@page 3");
  FlashPlayerFSCommand(ports, u"", u"http://example.com/a");
  FlashPlayerFSCommand(ports, u"", u"docs/guide.pdf");
  RunChildCommand(u"Docs\\Guide.PDF", shell);
  EXPECT_EQ(journal, (std::vector<std::string>{
                         "spawn [" + std::string(kWine) + "] [" + Native("Tools/Setup.EXE") + "] [page 3] in " +
                             Native("Tools"),
                         "uri http://example.com/a",
                         "file " + Native("Docs/Guide.PDF"),
                         "file " + Native("Docs/Guide.PDF"),
                     }));
}

// The real launcher: programs are found on PATH, started with their
// arguments in their folder, and failures stay quiet.
TEST(GioLauncher, SpawnsFindsAndFailsQuietly) {
  GioLauncher launcher;
  std::string sh = launcher.FindProgram("sh");
  ASSERT_FALSE(sh.empty());
  EXPECT_EQ(fs::path(sh).filename(), "sh");
  EXPECT_EQ(launcher.FindProgram("vellix-no-such-program"), "");

  testing::TempFolder dir;
  fs::create_directory(dir.Path() / "work");
  launcher.Spawn({sh, "-c", "printf %s \"$1\" > arg.tmp && pwd > folder.tmp && mv arg.tmp arg && mv folder.tmp folder",
                  "sh", "a b \xEA\xB0\x80"},
                 (dir.Path() / "work").string());
  // The program runs on its own; wait for what it writes.
  fs::path arg = dir.Path() / "work" / "arg", folder = dir.Path() / "work" / "folder";
  for (int i = 0; i < 1000 && !(fs::exists(arg) && fs::exists(folder)); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testing::TempFolder::Read(arg), "a b \xEA\xB0\x80");
  EXPECT_EQ(testing::TempFolder::Read(folder), fs::canonical(dir.Path() / "work").string() + "\n");

  // Nothing to start, nothing to open: no crash, no message, no wait.
  launcher.Spawn({(dir.Path() / "absent").string()}, dir.Path().string());
  launcher.Spawn({}, std::string());
  launcher.OpenUri("vellix-no-such-scheme://example");
  launcher.OpenFile((dir.Path() / "absent.vellix-no-such-type").string());
}

}  // namespace
}  // namespace vellix
