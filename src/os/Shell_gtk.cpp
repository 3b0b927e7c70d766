#include <gio/gio.h>

#include "os/Ports_linux.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

// Owners of what GLib hands out.
struct ErrorHolder {
  GError* error = nullptr;
  ~ErrorHolder() { g_clear_error(&error); }
};

}  // namespace

void GioLauncher::OpenUri(const std::string& uri) {
  // Without a handler for the scheme GIO reports an error and shows nothing;
  // the Windows shell is as quiet about an address it cannot open.
  ErrorHolder failure;
  g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &failure.error);
}

void GioLauncher::OpenFile(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  char* uri = g_file_get_uri(file);
  OpenUri(uri);
  g_free(uri);
  g_object_unref(file);
}

void GioLauncher::Spawn(const std::vector<std::string>& argv, const std::string& folder) {
  if (argv.empty()) return;
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  // Without G_SPAWN_DO_NOT_REAP_CHILD GLib starts the program through an
  // intermediate process, so it leaves no zombie behind and is not waited for.
  ErrorHolder failure;
  g_spawn_async(folder.empty() ? nullptr : folder.c_str(), arguments.data(), nullptr, G_SPAWN_DEFAULT, nullptr,
                nullptr, nullptr, &failure.error);
}

std::string GioLauncher::FindProgram(const std::string& name) {
  char* found = g_find_program_in_path(name.c_str());
  std::string path = found ? found : "";
  g_free(found);
  return path;
}

GioShell::GioShell(Text bookFolder, std::unique_ptr<ShellLauncher> launcher)
    : bookFolder_(std::move(bookFolder)), launcher_(std::move(launcher)) {}

void GioShell::Open(ShellOwner, const std::string& file, const std::string& parameters, const std::string&, int) {
  // Only a program named with an argument may need wine.
  std::string wine = parameters.empty() ? std::string() : launcher_->FindProgram("wine");
  ShellAction action = DecideShellOpen(FromAnsi(file), FromAnsi(parameters), bookFolder_, wine);
  switch (action.kind) {
    case ShellAction::Kind::Nothing:
      break;
    case ShellAction::Kind::OpenAddress:
      launcher_->OpenUri(action.target);
      break;
    case ShellAction::Kind::OpenFile:
      launcher_->OpenFile(action.target);
      break;
    case ShellAction::Kind::StartProgram:
      launcher_->Spawn(action.argv, action.folder);
      break;
  }
}

}  // namespace vellix
