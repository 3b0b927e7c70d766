// Copying the appended installer out of a book executable, timed against
// CopyFileA of an installer file of the same size.
//
// The measured step is the start-up check itself (RunRuntimeCheck) with a
// registration that finds no control, the real files (C runtime streams,
// the system drive's \temp folder, DeleteFileA) and a process port that starts
// nothing. So each round opens the executable, reads its trailer, reads the
// installer in one piece, writes <drive>:\temp\flash10.exe and deletes it.
// The baseline round copies the bare installer to the same folder with
// CopyFileA and deletes the copy.
//
//   extract_bench [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Rounds.h"
#include "app/InstallerFiles_win.h"
#include "app/InstallerTrailer.h"
#include "app/RuntimeCheck.h"
#include "app/StdioFile.h"
#include "text/CodePage.h"

namespace {

using namespace vellix;

// The length of the installer in the shipped book executables.
constexpr std::size_t kInstallerLength = 1925024;
// Stands in for the viewer's own image in front of the installer.
constexpr std::size_t kProgramLength = 512 * 1024;

std::vector<std::uint8_t> PseudoRandomBytes(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(n);
  std::uint32_t x = seed;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  if (n >= 2) {
    bytes[0] = 'M';
    bytes[1] = 'Z';
  }
  return bytes;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

Text ModuleFolder() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return Text();
  return ExtractFilePath(Text(buffer, buffer + n));
}

class NoControl : public ControlRegistration {
 public:
  std::optional<Text> ReadServerPath() override { return Text(); }
  bool IsExistingFile(const Text&) override { return false; }
  Text LowerCase(const Text& text) override { return text; }
};

// The system's files, as the viewer's own port uses them, except that the
// running executable is the prepared book executable.
class BenchFiles : public WinInstallerFiles {
 public:
  explicit BenchFiles(Text bookExecutable) : book_(std::move(bookExecutable)) {}
  Text ExecutablePath() override { return book_; }

 private:
  Text book_;
};

// Starts nothing. When asked to, checks that the file it would have started
// holds exactly the installer, so that the timed rounds are known to do the
// whole copy.
class NoProcesses : public Processes {
 public:
  const std::string* expected = nullptr;
  bool matched = false;

  struct Ended : StartedProcess {
    void WaitForExit() override {}
    std::optional<std::uint32_t> ExitCode() override { return 0u; }
  };

  std::unique_ptr<StartedProcess> Start(const std::string& commandLine) override {
    if (expected) matched = ReadAll(commandLine) == *expected;
    return std::make_unique<Ended>();
  }
};

bool WriteBytes(const Text& path, const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b = {}) {
  std::vector<std::uint8_t> all(a);
  all.insert(all.end(), b.begin(), b.end());
  return vellix::WriteWholeFile(ToAnsi(path), all.data(), all.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;

  const Text folder = ModuleFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "extract_bench: no module path\n");
    return 1;
  }
  const Text book = folder + u"extract_bench_book.exe";
  const Text bareInstaller = folder + u"extract_bench_installer.bin";

  const std::vector<std::uint8_t> installer = PseudoRandomBytes(kInstallerLength, 0x9E3779B9u);
  const std::vector<std::uint8_t> program = PseudoRandomBytes(kProgramLength, 0x2545F491u);
  const auto trailer = EncodeTrailer(static_cast<std::uint32_t>(installer.size()));
  std::vector<std::uint8_t> tail(installer);
  tail.insert(tail.end(), trailer.begin(), trailer.end());
  if (!WriteBytes(book, program, tail) || !WriteBytes(bareInstaller, installer)) {
    std::fprintf(stderr, "extract_bench: cannot write the test files beside the program\n");
    return 1;
  }

  NoControl registration;
  BenchFiles files(book);
  NoProcesses processes;
  std::vector<Text> messages;
  const ShowMessage show = [&messages](const Text& text) { messages.push_back(text); };

  const std::string copyTarget = TemporaryFolder(files) + "\\flash10_copy.exe";
  const std::string bareAnsi = ToAnsi(bareInstaller);

  // One checked round before any timing.
  const std::string expected(installer.begin(), installer.end());
  processes.expected = &expected;
  RuntimeCheckOutcome outcome = RunRuntimeCheck(registration, files, processes, show);
  processes.expected = nullptr;
  if (outcome != RuntimeCheckOutcome::Installed || !processes.matched || !messages.empty()) {
    std::fprintf(stderr, "extract_bench: the extraction did not produce the installer (outcome %d)\n",
                 static_cast<int>(outcome));
    return 1;
  }
  if (!CopyFileA(bareAnsi.c_str(), copyTarget.c_str(), FALSE) || ReadAll(copyTarget) != expected) {
    std::fprintf(stderr, "extract_bench: CopyFileA to %s failed\n", copyTarget.c_str());
    return 1;
  }
  DeleteFileA(copyTarget.c_str());

  bool failed = false;
  const bench::Medians m = bench::Interleaved(
      rounds, 2,
      [&] { failed |= RunRuntimeCheck(registration, files, processes, show) != RuntimeCheckOutcome::Installed; },
      [&] {
        failed |= !CopyFileA(bareAnsi.c_str(), copyTarget.c_str(), FALSE);
        DeleteFileA(copyTarget.c_str());
      });

  DeleteFileA(ToAnsi(book).c_str());
  DeleteFileA(bareAnsi.c_str());
  if (failed || !messages.empty()) {
    std::fprintf(stderr, "extract_bench: a timed round failed\n");
    return 1;
  }
  bench::PrintFigure("installer_extract_ms", m.measured * 1000, m.baseline * 1000);
  return 0;
}
