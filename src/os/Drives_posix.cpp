#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "os/Ports_linux.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

// One line of /proc/self/mountinfo:
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
//   (1)(2)(3)   (4)   (5)      (6)      (7)   (8) (9)    (10)        (11)
// mount id, parent id, major:minor of the device, root of the mount in its
// file system, mount point, mount options, optional fields ending in "-",
// file system type, source, super block options. Blanks, tabs, line feeds
// and backslashes in the paths are written as octal escapes ("\040").
struct Mount {
  std::string device;  // major:minor
  std::string point;   // decoded
  std::string type;
};

std::string DecodeOctalEscapes(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// The mounts of the table; lines that do not have the fields above are
// skipped.
std::vector<Mount> ReadMounts(const std::string& path) {
  std::vector<Mount> mounts;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point, options, field;
    if (!(fields >> id >> parent >> device >> root >> point >> options)) continue;
    while (fields >> field && field != "-") {
    }
    std::string type;
    if (field != "-" || !(fields >> type)) continue;
    mounts.push_back(Mount{device, DecodeOctalEscapes(point), DecodeOctalEscapes(type)});
  }
  return mounts;
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// major:minor -> the device's folder under /sys/class/block.
std::map<std::string, std::string> BlockDevices(const std::string& sysClassBlock) {
  std::map<std::string, std::string> devices;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(sysClassBlock.c_str()), closedir);
  if (!dir) return devices;
  while (dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string folder = sysClassBlock + "/" + name;
    std::string number = ReadFirstLine(folder + "/dev");
    if (!number.empty()) devices.emplace(number, folder);
  }
  return devices;
}

// The kernel says so of a disk; a partition is removable when its disk is.
// Each entry of /sys/class/block links to the device's folder, in which a
// partition's folder sits inside its disk's.
bool KernelSaysRemovable(const std::string& deviceFolder) {
  if (FileExists(deviceFolder + "/partition")) return ReadFirstLine(deviceFolder + "/../removable") == "1";
  return ReadFirstLine(deviceFolder + "/removable") == "1";
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.size() > prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Disc file systems: on Windows a disc drive has its own type and is never
// the removable drive that memos are written to.
bool IsDiscFileSystem(const std::string& type) { return type == "iso9660" || type == "udf"; }

std::vector<std::string> RemovableMountPoints(const std::string& mountInfo, const std::string& sysClassBlock,
                                              const std::string& user) {
  std::vector<Mount> mounts = ReadMounts(mountInfo);
  std::map<std::string, std::string> devices;
  bool devicesRead = false;
  std::vector<std::string> points;
  for (const Mount& mount : mounts) {
    // The root of the system is never a removable medium, even when the
    // system runs from a stick.
    if (mount.point.empty() || mount.point[0] != '/' || mount.point == "/" || IsDiscFileSystem(mount.type)) continue;
    bool removable = !user.empty() && (StartsWith(mount.point, "/media/" + user + "/") ||
                                       StartsWith(mount.point, "/run/media/" + user + "/"));
    if (!removable) {
      if (!devicesRead) {
        devices = BlockDevices(sysClassBlock);
        devicesRead = true;
      }
      auto found = devices.find(mount.device);
      removable = found != devices.end() && KernelSaysRemovable(found->second);
    }
    if (!removable) continue;
    std::string point = mount.point;
    while (point.size() > 1 && point.back() == '/') point.pop_back();
    points.push_back(point + "/");
  }
  std::sort(points.begin(), points.end());
  // A point mounted over again is one root.
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

}  // namespace

std::string CurrentUserName() {
  // getpwuid's record is static; the name is copied at once.
  const passwd* entry = getpwuid(geteuid());
  return entry && entry->pw_name ? std::string(entry->pw_name) : std::string();
}

LinuxDrives::LinuxDrives(std::string mountInfo, std::string sysClassBlock, std::string userName)
    : mountInfo_(std::move(mountInfo)), sysClassBlock_(std::move(sysClassBlock)), userName_(std::move(userName)) {}

std::vector<Text> LinuxDrives::Roots() {
  std::vector<Text> roots;
  for (const std::string& point : RemovableMountPoints(mountInfo_, sysClassBlock_, userName_))
    roots.push_back(FromUtf8(point));
  return roots;
}

int LinuxDrives::Type(const std::string& root) {
  // The core hands back a root it was given, through the code page: a mount
  // point the code page cannot spell comes back changed and matches nothing,
  // so no memo is written to a path that differs from the medium's.
  std::string asked = ToUtf8(FromAnsi(root));
  while (asked.size() > 1 && asked.back() == '/') asked.pop_back();
  for (const std::string& point : RemovableMountPoints(mountInfo_, sysClassBlock_, userName_)) {
    if (point == asked + "/") return kRemovable;
  }
  return 1;  // DRIVE_NO_ROOT_DIR
}

}  // namespace vellix
