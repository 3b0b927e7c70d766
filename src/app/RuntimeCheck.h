#pragma once
// The check made at every start, before any window exists: is the Flash
// control registered, and is it a build the viewer can use? When not, the
// installer appended to the executable is copied to <drive>:\temp\flash10.exe,
// run, waited for and deleted. Start-up goes on whatever happens here.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/InstallerTrailer.h"
#include "text/Text.h"

namespace vellix {

// What the decision needs to know about the control's registration.
class ControlRegistration {
 public:
  virtual ~ControlRegistration() = default;
  // The default value of the control's InprocServer32 key, environment
  // references left unexpanded. Empty text when the key or the value does not
  // exist; empty optional when the value is not text or cannot be read.
  virtual std::optional<Text> ReadServerPath() = 0;
  // True when `path` names an existing file; a folder does not count.
  virtual bool IsExistingFile(const Text& path) = 0;
  // `text` lower-cased by the system's locale rules.
  virtual Text LowerCase(const Text& text) = 0;
};

// The files and folders of the installation. Paths are ANSI code page bytes.
class InstallerFiles {
 public:
  virtual ~InstallerFiles() = default;
  // The system directory; empty when it cannot be had.
  virtual std::string SystemDirectory() = 0;
  // Creates one folder level; an existing folder and failures are not reported.
  virtual void CreateFolder(const std::string& path) = 0;
  // The full path of the running executable.
  virtual Text ExecutablePath() = 0;
  // Null when the file cannot be opened for reading.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;
  // Creates or empties the file and writes all bytes; false unless complete.
  virtual bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// A process the check started; its handles are closed when it is destroyed.
class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  // Waits without time limit.
  virtual void WaitForExit() = 0;
  // Empty when the exit code cannot be had.
  virtual std::optional<std::uint32_t> ExitCode() = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts `commandLine` (the program named by the command line itself, no
  // inherited handles, default flags); null when it could not be started.
  virtual std::unique_ptr<StartedProcess> Start(const std::string& commandLine) = 0;
};

// The plain message box: the text, the application title as caption, OK.
using ShowMessage = std::function<void(const Text& text)>;

enum class InstallReason {
  None,            // a usable Flash control is registered
  NotRegistered,   // no value, an empty one, or one that is not text
  FileMissing,     // the registered path names no existing file
  NotFlash,        // the registered path does not mention flash
  OutdatedBuild,   // the registered control is the flash10a build
};

InstallReason DecideInstall(ControlRegistration& registration);

enum class RuntimeCheckOutcome {
  NotNeeded,
  Installed,            // the installer ran and ended; its exit code is not judged
  ExitCodeUnknown,      // "GetExitCodeProcess() failed"
  StillActive,          // exit code 259
  InstallerUnreadable,  // the executable could not provide its installer
  InstallerNotWritten,  // the temporary installer file could not be written
  InstallerNotStarted,  // the installer could not be started
  Aborted,              // an unexpected exception; nothing was shown
};

// The temporary folder: the system directory's first two characters (its
// drive) + "\temp", created one level when missing.
std::string TemporaryFolder(InstallerFiles& files);

// Runs the whole check. Never throws; every message goes through `show`.
RuntimeCheckOutcome RunRuntimeCheck(ControlRegistration& registration, InstallerFiles& files, Processes& processes,
                                    const ShowMessage& show);

// The texts shown to the user.
Text ExitCodeFailedMessage();
Text StillActiveMessage();
Text InstallerUnreadableMessage(const Text& executablePath);
Text InstallerNotWrittenMessage(const Text& installerPath);
Text InstallerNotStartedMessage(const Text& installerPath);

// The check on this machine, with the Windows registry, files and processes.
// Called first thing at start-up.
void EnsureFlashRuntime(const ShowMessage& show);

}  // namespace vellix
