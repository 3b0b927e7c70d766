#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands/Dispatcher.h"
#include "commands/Fakes.h"
#include "commands/MemoStore.h"
#include "os/Ports_linux.h"
#include "support/TempFolder.h"
#include "text/CodePage.h"

namespace vellix {
namespace {

namespace fs = std::filesystem;

// A fake /sys/class/block as the kernel lays it out: each entry links to the
// device's folder, and a partition's folder sits inside its disk's.
class FakeBlockDevices {
 public:
  explicit FakeBlockDevices(const fs::path& root) : devices_(root / "devices"), classBlock_(root / "class" / "block") {
    fs::create_directories(devices_);
    fs::create_directories(classBlock_);
  }
  void Disk(const std::string& name, const std::string& number, bool removable) {
    fs::path folder = devices_ / name;
    fs::create_directories(folder);
    Put(folder / "dev", number);
    Put(folder / "removable", removable ? "1" : "0");
    fs::create_directory_symlink(folder, classBlock_ / name);
  }
  void Partition(const std::string& disk, const std::string& name, const std::string& number) {
    fs::path folder = devices_ / disk / name;
    fs::create_directories(folder);
    Put(folder / "dev", number);
    Put(folder / "partition", "1");
    fs::create_directory_symlink(folder, classBlock_ / name);
  }
  std::string ClassBlock() const { return classBlock_.string(); }

 private:
  static void Put(const fs::path& file, const std::string& line) { std::ofstream(file) << line << "\n"; }
  fs::path devices_;
  fs::path classBlock_;
};

class LinuxDrivesTest : public ::testing::Test {
 protected:
  LinuxDrivesTest() : sys_(dir_.Path() / "sys") {
    sys_.Disk("vda", "254:0", false);
    sys_.Partition("vda", "vda1", "254:1");
    sys_.Partition("vda", "vda2", "254:2");
    sys_.Disk("sdb", "8:16", true);  // a memo stick
    sys_.Partition("sdb", "sdb1", "8:17");
    sys_.Disk("sdc", "8:32", false);  // a USB hard disk: the kernel does not call it removable
    sys_.Partition("sdc", "sdc1", "8:33");
    sys_.Disk("sdd", "8:48", true);  // a card without partitions
    sys_.Disk("sde", "8:64", false);
    sys_.Partition("sde", "sde1", "8:65");
    sys_.Disk("sdf", "8:80", true);
    sys_.Partition("sdf", "sdf1", "8:81");
    sys_.Disk("sr0", "11:0", true);  // a disc drive
  }

  void MountTable(const std::string& text) const { std::ofstream(MountInfo()) << text; }
  std::string MountInfo() const { return (dir_.Path() / "mountinfo").string(); }
  LinuxDrives Drives(const std::string& user = "reader") const { return LinuxDrives(MountInfo(), sys_.ClassBlock(), user); }

  testing::TempFolder dir_;
  FakeBlockDevices sys_;
};

const char kMounts[] =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "28 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
    "29 28 254:2 / /home rw,relatime shared:2 - ext4 /dev/vda2 rw\n"
    "40 28 8:17 / /media/reader/STICK rw,nosuid,nodev shared:40 - vfat /dev/sdb1 rw,uid=1000\n"
    "41 28 8:33 / /media/reader/My\\040Disk rw shared:41 - ext4 /dev/sdc1 rw\n"
    "42 28 8:48 / /mnt/card rw - vfat /dev/sdd rw\n"
    "43 28 0:50 / /run/media/reader/PHONE rw,nosuid shared:43 master:7 - fuse.jmtpfs jmtpfs rw\n"
    "44 28 8:65 / /media/other/STICK2 rw - vfat /dev/sde1 rw\n"
    "45 28 11:0 / /media/reader/DVD ro - iso9660 /dev/sr0 ro\n"
    "46 28 8:81 / /srv/usb\\134backslash rw - vfat /dev/sdf1 rw\n"
    "47 40 8:17 / /media/reader/STICK rw - vfat /dev/sdb1 rw\n"
    "48 28 0:60 / /media/reader rw - tmpfs tmpfs rw\n"
    "49 28 0:61 / /media/readerx/A rw - tmpfs tmpfs rw\n"
    "50 28 0:62 / /run/media/reader/\xED\x95\x9C\xEA\xB8\x80 rw - exfat /dev/sdg1 rw\n"
    "not a mount line\n"
    "51 28 8:17 / /broken rw no-separator-here vfat /dev/sdb1 rw\n";

TEST_F(LinuxDrivesTest, RemovableMediaInMountPathOrder) {
  MountTable(kMounts);
  EXPECT_EQ(Drives().Roots(), (std::vector<Text>{
                                  u"/media/reader/My Disk/",     // below the user's media folder
                                  u"/media/reader/STICK/",       // both rules hold; mounted twice, one root
                                  u"/mnt/card/",                 // the kernel says removable
                                  u"/run/media/reader/PHONE/",   // no block device at all
                                  u"/run/media/reader/\uD55C\uAE00/",
                                  u"/srv/usb\\backslash/",       // a partition of a removable disk
                              }));
  // Without a user name only the kernel's word counts.
  EXPECT_EQ(Drives("").Roots(), (std::vector<Text>{u"/media/reader/STICK/", u"/mnt/card/", u"/srv/usb\\backslash/"}));
  // Another user's media are removable only when the kernel says so.
  EXPECT_EQ(Drives("other").Roots(),
            (std::vector<Text>{u"/media/other/STICK2/", u"/media/reader/STICK/", u"/mnt/card/", u"/srv/usb\\backslash/"}));
}

TEST_F(LinuxDrivesTest, TypeNamesTheRootsAsTheCoreHandsThemBack) {
  MountTable(kMounts);
  LinuxDrives drives = Drives();
  const struct {
    std::string root;
    int type;
  } cases[] = {
      {"/media/reader/STICK/", Drives::kRemovable},
      {"/media/reader/STICK", Drives::kRemovable},
      {"/media/reader/My Disk/", Drives::kRemovable},
      {ToAnsi(u"/run/media/reader/\uD55C\uAE00/"), Drives::kRemovable},  // code page 949 bytes
      {"/media/reader/stick/", 1},  // mount points are names of this system, not of the book
      {"/media/reader/DVD/", 1},
      {"/media/reader/", 1},
      {"/home/", 1},
      {"/", 1},
      {"", 1},
      {"E:\\", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root);
    EXPECT_EQ(drives.Type(c.root), c.type);
  }
}

TEST_F(LinuxDrivesTest, TheFirstRootTheCodePageCanNameIsTheMemoMedium) {
  // A Thai label cannot pass through code page 949: a memo path built on it
  // would name another folder, so the next medium is taken.
  MountTable("60 28 0:70 / /media/reader/\xE0\xB8\x81 rw - vfat /dev/sdh1 rw\n"
             "61 28 0:71 / /media/reader/USB rw - vfat /dev/sdi1 rw\n");
  LinuxDrives drives = Drives();
  EXPECT_EQ(drives.Roots().size(), 2u);
  EXPECT_EQ(FindRemovableRoot(drives), std::optional<Text>(u"/media/reader/USB/"));
}

TEST_F(LinuxDrivesTest, EveryCallReadsTheMountTableAgain) {
  MountTable(kMounts);
  LinuxDrives drives = Drives();
  ASSERT_EQ(drives.Type("/mnt/card/"), Drives::kRemovable);
  MountTable("28 1 254:1 / / rw - ext4 /dev/vda1 rw\n");  // every medium pulled out
  EXPECT_TRUE(drives.Roots().empty());
  EXPECT_EQ(drives.Type("/mnt/card/"), 1);
  EXPECT_TRUE(LinuxDrives((dir_.Path() / "absent").string(), sys_.ClassBlock(), "reader").Roots().empty());
}

// The memo commands with the Linux files and drives: a removable medium
// mounted in the test's folder.
TEST_F(LinuxDrivesTest, MemoOnAMountedStick) {
  fs::path stick = dir_.Path() / "mnt" / "STICK";
  fs::create_directories(stick / "txtdata" / "Sub");
  MountTable("28 1 254:1 / / rw - ext4 /dev/vda1 rw\n"
             "40 28 8:17 / " + stick.string() + " rw - vfat /dev/sdb1 rw\n");
  LinuxDrives drives = Drives();
  LinuxFiles files;
  testing::FakeWorld world;
  world.executable = dir_.TextPath(u"Sample.exe");
  CommandPorts fakes = world.Ports();
  CommandPorts ports{fakes.book,          fakes.window,        fakes.movie,          fakes.popups,
                     fakes.shell,         fakes.imgSaveDialog, fakes.fileSaveDialog, fakes.messages,
                     files,               fakes.search,        drives,               fakes.environment};
  const std::string folder = ToUtf8(dir_.TextPath()) + "/mnt/STICK/";

  // The memo folder exists in another case: it is used, not joined by a
  // second one; a subfolder is found the same way.
  FlashPlayerFSCommand(ports, u"", u"function_saveTextFile@@@\uAC00\uB098\nWorld@@@memo1.txt");
  FlashPlayerFSCommand(ports, u"", u"function_saveTextFile@@@x@@@sub/m.txt");
  FlashPlayerFSCommand(ports, u"", u"function_loadTextFile");
  EXPECT_EQ(testing::TempFolder::Read(stick / "txtdata" / "memo1.txt"), std::string("\xB0\xA1\xB3\xAA\r\nWorld"));
  EXPECT_EQ(testing::TempFolder::Read(stick / "txtdata" / "Sub" / "m.txt"), "x");
  EXPECT_FALSE(fs::exists(stick / "TxtData"));
  testing::Journal replies;
  for (const std::string& line : world.journal)
    if (line.rfind("setvar", 0) == 0) replies.push_back(line);
  EXPECT_EQ(replies, (testing::Journal{"setvar saveSuccess=success", "setvar saveSuccess=success",
                              "setvar loadTxt=" + folder + "TxtData/", "setvar loadSuccess=success"}));

  // A missing subfolder and a full medium fail and leave no file.
  world.journal.clear();
  FlashPlayerFSCommand(ports, u"", u"function_saveTextFile@@@x@@@absent\\m.txt");
  {
    rlimit saved, limit;
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 1024;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    FlashPlayerFSCommand(ports, u"", Text(u"function_saveTextFile@@@") + Text(4096, u'm') + u"@@@big.txt");
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
  }
  replies.clear();
  for (const std::string& line : world.journal)
    if (line.rfind("setvar", 0) == 0) replies.push_back(line);
  EXPECT_EQ(replies, (testing::Journal{"setvar saveSuccess=fail", "setvar saveSuccess=fail"}));
  EXPECT_FALSE(fs::exists(stick / "txtdata" / "big.txt"));
  EXPECT_FALSE(fs::exists(stick / "txtdata" / "absent"));

  // The stick pulled out: both commands answer "fail".
  MountTable("28 1 254:1 / / rw - ext4 /dev/vda1 rw\n");
  world.journal.clear();
  FlashPlayerFSCommand(ports, u"", u"function_saveTextFile@@@x@@@after.txt");
  FlashPlayerFSCommand(ports, u"", u"function_loadTextFile");
  EXPECT_EQ(world.journal.back(), "setvar loadSuccess=fail");
  EXPECT_FALSE(fs::exists(stick / "txtdata" / "after.txt"));
}

}  // namespace
}  // namespace vellix
