#include "app/RuntimeCheck.h"

#include <new>
#include <stdexcept>

#include "text/CodePage.h"

namespace vellix {

InstallReason DecideInstall(ControlRegistration& registration) {
  std::optional<Text> path = registration.ReadServerPath();
  if (!path || path->empty()) return InstallReason::NotRegistered;
  if (!registration.IsExistingFile(*path)) return InstallReason::FileMissing;
  const Text lower = registration.LowerCase(*path);
  if (Pos(u"flash", lower) == 0) return InstallReason::NotFlash;
  if (Pos(u"flash10a", lower) != 0) return InstallReason::OutdatedBuild;
  return InstallReason::None;
}

std::string TemporaryFolder(InstallerFiles& files) {
  std::string folder = files.SystemDirectory().substr(0, 2) + "\\temp";
  files.CreateFolder(folder);
  return folder;
}

Text ExitCodeFailedMessage() { return u"GetExitCodeProcess() failed\n"; }
Text StillActiveMessage() { return u"Process is still active\n"; }

Text InstallerUnreadableMessage(const Text& executablePath) {
  return ExtractFileName(executablePath) + u" 파일 읽기 실패\nFlash 설치 프로그램을 찾을 수 없습니다.";
}

Text InstallerNotWrittenMessage(const Text& installerPath) {
  return installerPath + u" 파일 저장 실패\n경로를 확인해 주세요.";
}

Text InstallerNotStartedMessage(const Text& installerPath) {
  return installerPath + u" 파일 실행 실패\nFlash 설치 프로그램을 시작할 수 없습니다.";
}

namespace {

const char kInstallerName[] = "\\flash10.exe";

enum class Extraction { Written, Unreadable, NotWritten };

// Copies the installer out of the running executable in one read and one
// write. The trailer is checked before anything is allocated, and a file the
// write left incomplete is removed so that it can never be run.
Extraction ExtractInstaller(InstallerFiles& files, const Text& executablePath, const std::string& installerPath) {
  std::vector<std::uint8_t> installer;
  {
    std::unique_ptr<ReadableFile> exe = files.OpenForReading(ToAnsi(executablePath));
    if (!exe) return Extraction::Unreadable;
    std::optional<std::uint64_t> length = exe->Length();
    if (!length) return Extraction::Unreadable;
    AppendedInstaller found = FindAppendedInstaller(*length, *exe);
    if (!found.found()) return Extraction::Unreadable;
    try {
      installer.resize(found.length);
    } catch (const std::bad_alloc&) {
      return Extraction::Unreadable;
    } catch (const std::length_error&) {
      return Extraction::Unreadable;
    }
    if (!exe->ReadAt(found.offset, installer.data(), installer.size())) return Extraction::Unreadable;
  }  // the executable is closed here
  if (!files.WriteWholeFile(installerPath, installer)) {
    files.Remove(installerPath);
    return Extraction::NotWritten;
  }
  return Extraction::Written;
}

RuntimeCheckOutcome Install(InstallerFiles& files, Processes& processes, const ShowMessage& show) {
  const std::string installerPath = TemporaryFolder(files) + kInstallerName;
  const Text executablePath = files.ExecutablePath();
  switch (ExtractInstaller(files, executablePath, installerPath)) {
    case Extraction::Unreadable:
      show(InstallerUnreadableMessage(executablePath));
      return RuntimeCheckOutcome::InstallerUnreadable;
    case Extraction::NotWritten:
      show(InstallerNotWrittenMessage(FromAnsi(installerPath)));
      return RuntimeCheckOutcome::InstallerNotWritten;
    case Extraction::Written:
      break;
  }

  // The folder routine runs again for the command line, recreating the
  // folder should it have gone meanwhile.
  const std::string commandLine = TemporaryFolder(files) + kInstallerName;
  std::optional<std::uint32_t> exitCode;
  {
    std::unique_ptr<StartedProcess> process = processes.Start(commandLine);
    if (!process) {
      files.Remove(installerPath);
      show(InstallerNotStartedMessage(FromAnsi(commandLine)));
      return RuntimeCheckOutcome::InstallerNotStarted;
    }
    process->WaitForExit();
    exitCode = process->ExitCode();
  }  // its handles are closed here

  RuntimeCheckOutcome outcome = RuntimeCheckOutcome::Installed;
  if (!exitCode) {
    show(ExitCodeFailedMessage());
    outcome = RuntimeCheckOutcome::ExitCodeUnknown;
  } else if (*exitCode == 259) {  // STILL_ACTIVE
    show(StillActiveMessage());
    outcome = RuntimeCheckOutcome::StillActive;
  }
  files.Remove(installerPath);
  return outcome;
}

}  // namespace

RuntimeCheckOutcome RunRuntimeCheck(ControlRegistration& registration, InstallerFiles& files, Processes& processes,
                                    const ShowMessage& show) {
  try {
    if (DecideInstall(registration) == InstallReason::None) return RuntimeCheckOutcome::NotNeeded;
    return Install(files, processes, show);
  } catch (...) {
    // Start-up must go on; the viewer then reports the missing control itself
    // when the book window cannot create it.
    return RuntimeCheckOutcome::Aborted;
  }
}

}  // namespace vellix
