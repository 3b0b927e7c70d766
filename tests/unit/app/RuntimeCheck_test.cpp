#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/RuntimeCheck.h"

namespace vellix {
namespace {

class FakeRegistration : public ControlRegistration {
 public:
  std::optional<Text> value;
  std::set<Text> files;
  int fileTests = 0;
  bool throws = false;

  std::optional<Text> ReadServerPath() override {
    if (throws) throw std::runtime_error("registry");
    return value;
  }
  bool IsExistingFile(const Text& path) override {
    ++fileTests;
    return files.count(path) != 0;
  }
  Text LowerCase(const Text& text) override { return LowerCaseAscii(text); }
};

// Everything the check does with files and processes, in order, as one log.
using Log = std::vector<std::string>;

class MemoryFile : public ReadableFile {
 public:
  MemoryFile(std::string bytes, Log& log, std::size_t failReadsFrom)
      : bytes_(std::move(bytes)), log_(log), failReadsFrom_(failReadsFrom) {}
  std::optional<std::uint64_t> Length() override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
    log_.push_back("read " + std::to_string(offset) + " " + std::to_string(count));
    if (offset + count > bytes_.size() || count >= failReadsFrom_) return false;
    std::memcpy(buffer, bytes_.data() + offset, count);
    return true;
  }
  ~MemoryFile() override { log_.push_back("close exe"); }

 private:
  std::string bytes_;
  Log& log_;
  std::size_t failReadsFrom_;
};

class FakeFiles : public InstallerFiles {
 public:
  explicit FakeFiles(Log& log) : log_(log) {}
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  Text executable = u"C:\\Books\\Sample.exe";
  std::optional<std::string> executableBytes;  // empty: cannot be opened
  std::size_t failReadsFrom = SIZE_MAX;
  bool writeFails = false;
  std::string written;

  std::string SystemDirectory() override { return systemDirectory; }
  void CreateFolder(const std::string& path) override { log_.push_back("mkdir " + path); }
  Text ExecutablePath() override { return executable; }
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override {
    log_.push_back("open " + path);
    if (!executableBytes) return nullptr;
    return std::make_unique<MemoryFile>(*executableBytes, log_, failReadsFrom);
  }
  bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    log_.push_back("write " + path + " " + std::to_string(bytes.size()));
    if (writeFails) return false;
    written.assign(bytes.begin(), bytes.end());
    return true;
  }
  bool Remove(const std::string& path) override {
    log_.push_back("remove " + path);
    return true;
  }

 private:
  Log& log_;
};

class FakeProcesses : public Processes {
 public:
  explicit FakeProcesses(Log& log) : log_(log) {}
  bool startFails = false;
  bool startThrows = false;
  std::optional<std::uint32_t> exitCode = 0;

  // The process is journaled as "11/12", its process and thread handles.
  class Process : public StartedProcess {
   public:
    Process(Log& log, std::optional<std::uint32_t> exitCode) : log_(log), exitCode_(exitCode) {}
    ~Process() override { log_.push_back("close 11/12"); }
    void WaitForExit() override { log_.push_back("wait 11/12"); }
    std::optional<std::uint32_t> ExitCode() override {
      log_.push_back("exit code 11/12");
      return exitCode_;
    }

   private:
    Log& log_;
    std::optional<std::uint32_t> exitCode_;
  };

  std::unique_ptr<StartedProcess> Start(const std::string& commandLine) override {
    log_.push_back("start " + commandLine);
    if (startThrows) throw std::bad_alloc();
    if (startFails) return nullptr;
    return std::make_unique<Process>(log_, exitCode);
  }

 private:
  Log& log_;
};

std::string Packed(const std::string& program, const std::string& installer) {
  auto t = EncodeTrailer(static_cast<std::uint32_t>(installer.size()));
  return program + installer + std::string(t.begin(), t.end());
}

// The check over fakes: a missing registration, a packed executable, an
// installer that ends with exit code 0.
struct CheckRig {
  Log log;
  std::vector<Text> messages;
  FakeRegistration registration;
  FakeFiles files{log};
  FakeProcesses processes{log};
  const std::string installer = std::string("MZ\0installer", 12);

  CheckRig() { files.executableBytes = Packed("MZ viewer", installer); }

  RuntimeCheckOutcome Check() {
    return RunRuntimeCheck(registration, files, processes, [this](const Text& t) { messages.push_back(t); });
  }
};

struct RuntimeCheckTest : ::testing::Test, CheckRig {};

TEST(DecideInstall, FollowsTheRegistrationTable) {
  const Text current = u"C:\\WINDOWS\\system32\\Flash\\Flash10c.ocx";
  const Text outdated = u"C:\\Windows\\System32\\Flash\\Flash10a.ocx";
  struct Case {
    const char* name;
    std::optional<Text> value;
    std::set<Text> files;
    InstallReason reason;
    bool fileTested;
  } cases[] = {
      {"value not text", std::nullopt, {current}, InstallReason::NotRegistered, false},
      {"empty value", Text(), {current}, InstallReason::NotRegistered, false},
      {"current control", current, {current}, InstallReason::None, true},
      {"file gone", current, {}, InstallReason::FileMissing, true},
      {"outdated build", outdated, {outdated}, InstallReason::OutdatedBuild, true},
      {"outdated build, upper case", u"C:\\FLASH\\FLASH10A.OCX", {u"C:\\FLASH\\FLASH10A.OCX"},
       InstallReason::OutdatedBuild, true},
      {"flash10a anywhere in the path", u"C:\\flash10ab\\x.ocx", {u"C:\\flash10ab\\x.ocx"},
       InstallReason::OutdatedBuild, true},
      {"other flash build", u"C:\\Flash\\Flash10b.ocx", {u"C:\\Flash\\Flash10b.ocx"}, InstallReason::None, true},
      {"flash only in the folder", u"C:\\Flash\\player.ocx", {u"C:\\Flash\\player.ocx"}, InstallReason::None, true},
      {"no flash in the path", u"C:\\Player\\player.ocx", {u"C:\\Player\\player.ocx"}, InstallReason::NotFlash, true},
      // The value is taken unexpanded, so it names no file.
      {"environment reference", u"%SystemRoot%\\System32\\Flash\\Flash10c.ocx", {current},
       InstallReason::FileMissing, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistration r;
    r.value = c.value;
    r.files = c.files;
    EXPECT_EQ(DecideInstall(r), c.reason);
    EXPECT_EQ(r.fileTests != 0, c.fileTested);
  }
}

TEST_F(RuntimeCheckTest, RegisteredControlTouchesNothing) {
  registration.value = u"C:\\Flash\\Flash10c.ocx";
  registration.files = {*registration.value};
  EXPECT_EQ(Check(), RuntimeCheckOutcome::NotNeeded);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(RuntimeCheckTest, ExtractsRunsWaitsAndDeletes) {
  files.systemDirectory = "D:\\WINNT\\System32";
  EXPECT_EQ(Check(), RuntimeCheckOutcome::Installed);
  const Log expected = {
      "mkdir D:\\temp",
      "open C:\\Books\\Sample.exe",
      "read 21 4",  // the trailer of the 25-byte executable
      "read 9 12",  // the installer, in one read
      "close exe",  // before the installer file is written
      "write D:\\temp\\flash10.exe 12",
      "mkdir D:\\temp",  // the folder routine runs again for the command line
      "start D:\\temp\\flash10.exe",
      "wait 11/12",
      "exit code 11/12",
      "close 11/12",
      "remove D:\\temp\\flash10.exe",
  };
  EXPECT_EQ(log, expected);
  EXPECT_EQ(files.written, installer);
  EXPECT_TRUE(messages.empty());
}

TEST_F(RuntimeCheckTest, ReportsOnlyTheTwoAbnormalExitResults) {
  struct Case {
    const char* name;
    std::optional<std::uint32_t> exitCode;
    std::vector<Text> messages;
    RuntimeCheckOutcome outcome;
  } cases[] = {
      {"success", 0u, {}, RuntimeCheckOutcome::Installed},
      {"installer failure code", 1603u, {}, RuntimeCheckOutcome::Installed},
      {"still active", 259u, {u"Process is still active\n"}, RuntimeCheckOutcome::StillActive},
      {"no exit code", std::nullopt, {u"GetExitCodeProcess() failed\n"}, RuntimeCheckOutcome::ExitCodeUnknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    messages.clear();
    processes.exitCode = c.exitCode;
    EXPECT_EQ(Check(), c.outcome);
    EXPECT_EQ(messages, c.messages);
    // Handles are closed once, after the exit code; the file goes last.
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "exit code 11/12");
    EXPECT_EQ(log[log.size() - 2], "close 11/12");
    EXPECT_EQ(log.back(), "remove C:\\temp\\flash10.exe");
  }
}

TEST_F(RuntimeCheckTest, FailuresShowOneMessageAndNeverRunAStaleFile) {
  const Text unreadable = u"Sample.exe 파일 읽기 실패\nFlash 설치 프로그램을 찾을 수 없습니다.";
  const Text notWritten = u"C:\\temp\\flash10.exe 파일 저장 실패\n경로를 확인해 주세요.";
  const Text notStarted = u"C:\\temp\\flash10.exe 파일 실행 실패\nFlash 설치 프로그램을 시작할 수 없습니다.";
  struct Case {
    const char* name;
    std::function<void(CheckRig&)> arrange;
    RuntimeCheckOutcome outcome;
    Text message;
    bool removes;
  } cases[] = {
      {"executable cannot be opened", [](CheckRig& t) { t.files.executableBytes.reset(); },
       RuntimeCheckOutcome::InstallerUnreadable, unreadable, false},
      {"executable without trailer", [](CheckRig& t) { t.files.executableBytes = std::string("MZ viewer\0\0\0\0", 13); },
       RuntimeCheckOutcome::InstallerUnreadable, unreadable, false},
      {"trailer longer than the file",
       [](CheckRig& t) { t.files.executableBytes = std::string("MZ\x7F\xFF\xFF\xFF", 6); },
       RuntimeCheckOutcome::InstallerUnreadable, unreadable, false},
      {"installer read fails", [](CheckRig& t) { t.files.failReadsFrom = 5; },
       RuntimeCheckOutcome::InstallerUnreadable, unreadable, false},
      {"installer file cannot be written", [](CheckRig& t) { t.files.writeFails = true; },
       RuntimeCheckOutcome::InstallerNotWritten, notWritten, true},
      {"installer cannot be started", [](CheckRig& t) { t.processes.startFails = true; },
       RuntimeCheckOutcome::InstallerNotStarted, notStarted, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CheckRig t;
    c.arrange(t);
    EXPECT_EQ(t.Check(), c.outcome);
    EXPECT_EQ(t.messages, std::vector<Text>{c.message});
    bool started = false, waited = false, removed = false;
    for (const std::string& entry : t.log) {
      started |= entry.rfind("start", 0) == 0;
      waited |= entry.rfind("wait", 0) == 0;
      removed |= entry == "remove C:\\temp\\flash10.exe";
    }
    EXPECT_EQ(started, c.outcome == RuntimeCheckOutcome::InstallerNotStarted);
    EXPECT_FALSE(waited);
    EXPECT_EQ(removed, c.removes);
  }
}

TEST_F(RuntimeCheckTest, NoExceptionLeavesTheCheck) {
  registration.throws = true;
  EXPECT_EQ(Check(), RuntimeCheckOutcome::Aborted);
  registration.throws = false;
  processes.startThrows = true;
  EXPECT_EQ(Check(), RuntimeCheckOutcome::Aborted);
}

TEST(TemporaryFolder, TakesTheSystemDirectorysDrive) {
  struct Case {
    std::string systemDirectory, folder;
  } cases[] = {
      {"C:\\WINDOWS\\system32", "C:\\temp"},
      {"E:\\Win\\System32", "E:\\temp"},
      {"C", "C\\temp"},
      {"", "\\temp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.systemDirectory);
    Log log;
    FakeFiles files(log);
    files.systemDirectory = c.systemDirectory;
    EXPECT_EQ(TemporaryFolder(files), c.folder);
    EXPECT_EQ(log, Log{"mkdir " + c.folder});
  }
}

}  // namespace
}  // namespace vellix
