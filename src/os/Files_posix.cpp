#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <random>
#include <string>

#include "os/FileSystemPath.h"
#include "os/Ports_linux.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

// The Linux name of an ANSI program path; empty when it cannot name a file
// (a zero character would cut the name short and address another file).
std::string NativePath(const std::string& ansi) {
  std::string path = FileSystemPath(FromAnsi(ansi));
  if (path.find('\0') != std::string::npos) return std::string();
  return path;
}

// A descriptor closed at the end of its scope unless released.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now; false when the close reports an error (a deferred write
  // error of some file systems surfaces only here).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do fd = open(path, flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Flushes the file to its medium. Files that cannot be synced at all (a
// device or pipe given as the path) are not held against the write.
bool Sync(int fd) {
  if (fsync(fd) == 0) return true;
  return errno == EINVAL || errno == EROFS;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

// Creates a new, empty file in the folder of `destination` that no one else
// uses; its name is short and hidden, whatever the destination is called.
// The kernel applies the umask to `mode`.
int CreateTemporaryBeside(const std::string& destination, mode_t mode, std::string& name) {
  std::random_device entropy;
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = FolderOf(destination) + ".vellix-new-" + std::to_string(entropy()) + ".tmp";
    int fd = OpenRetrying(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

namespace {

// Replaces the regular file `to` (or creates it) with what `fill` writes into
// a temporary file beside it: the destination is either the old file or the
// whole new one, never a part. A new file is readable and writable as the
// umask allows, plus `extraMode`; a replaced one keeps its permissions.
bool ReplaceFile(const std::string& to, mode_t extraMode, const std::function<bool(int)>& fill) {
  if (to.empty() || to.back() == '/') return false;
  struct stat toInfo;
  bool replacing = stat(to.c_str(), &toInfo) == 0;
  if (replacing && !S_ISREG(toInfo.st_mode)) return false;
  std::string temporary;
  Descriptor out(CreateTemporaryBeside(to, 0666 | extraMode, temporary));
  if (!out) return false;
  bool ok = fill(out.Get());
  // Some file systems (FAT on a memo stick) have no permissions to set.
  if (ok && replacing) (void)fchmod(out.Get(), toInfo.st_mode & 07777);
  ok = ok && Sync(out.Get());
  ok = out.Close() && ok;
  ok = ok && rename(temporary.c_str(), to.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace

bool LinuxFiles::Copy(const std::string& source, const std::string& destination) {
  std::string from = NativePath(source), to = NativePath(destination);
  if (from.empty()) return false;
  Descriptor in(OpenRetrying(from.c_str(), O_RDONLY));
  struct stat fromInfo;
  // Only a regular file is copied: a device or a pipe could be read forever.
  if (!in || fstat(in.Get(), &fromInfo) != 0 || !S_ISREG(fromInfo.st_mode)) return false;
  return ReplaceFile(to, fromInfo.st_mode & 0111, [&in](int out) {
    char buffer[64 * 1024];
    for (;;) {
      ssize_t n = read(in.Get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return false;
    }
  });
}

bool LinuxFiles::CreateFolder(const std::string& path) {
  std::string name = NativePath(path);
  return !name.empty() && mkdir(name.c_str(), 0777) == 0;
}

bool LinuxFiles::Write(const std::string& path, const std::string& bytes) {
  return ReplaceFile(NativePath(path), 0, [&bytes](int out) { return WriteAll(out, bytes.data(), bytes.size()); });
}

bool LinuxFiles::Remove(const std::string& path) {
  std::string name = NativePath(path);
  return !name.empty() && unlink(name.c_str()) == 0;
}

}  // namespace vellix
