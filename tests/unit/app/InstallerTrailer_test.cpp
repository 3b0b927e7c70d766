#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/InstallerTrailer.h"
#include "app/StdioFile.h"
#include "support/TempFolder.h"

namespace vellix {
namespace {

using namespace std::string_literals;
using testing::TempFolder;

std::string Trailer(std::uint32_t n) {
  auto t = EncodeTrailer(n);
  return std::string(t.begin(), t.end());
}

std::string ReadBack(StdioFile& file, std::uint64_t offset, std::uint32_t length) {
  std::string bytes(length, '\0');
  EXPECT_TRUE(file.ReadAt(offset, &bytes[0], length));
  return bytes;
}

TEST(InstallerTrailer, FindsTheInstallerInRealFiles) {
  const std::string program = "MZ viewer image\x00\x01\x02"s;
  const std::string installer = "MZ installer\x00\xFF\x10 body"s;
  std::string bigInstaller(0x1234, 'i');
  bigInstaller[0] = 'M';
  struct Case {
    const char* name;
    std::string file;
    std::uint64_t offset;
    std::string installer;
  } cases[] = {
      {"program, installer, trailer", program + installer + Trailer(installer.size()), program.size(), installer},
      {"installer fills the file", installer + Trailer(installer.size()), 0, installer},
      {"one-byte installer", program + "X" + Trailer(1), program.size(), "X"},
      // 0x00001234 read big-endian; little-endian it would be 0x34120000.
      {"multi-byte length", program + bigInstaller + Trailer(bigInstaller.size()), program.size(), bigInstaller},
  };
  TempFolder dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto file = StdioFile::Open(dir.Write("book.exe", c.file).string());
    ASSERT_TRUE(file);
    std::optional<std::uint64_t> length = file->Length();
    ASSERT_TRUE(length);
    EXPECT_EQ(*length, c.file.size());
    AppendedInstaller found = FindAppendedInstaller(*length, *file);
    ASSERT_EQ(found.error, TrailerError::None);
    EXPECT_EQ(found.offset, c.offset);
    EXPECT_EQ(found.length, c.installer.size());
    EXPECT_EQ(ReadBack(*file, found.offset, found.length), c.installer);
  }
}

TEST(InstallerTrailer, RejectsFilesWithoutAValidTrailer) {
  struct Case {
    const char* name;
    std::string file;
    TrailerError error;
  } cases[] = {
      {"empty file", "", TrailerError::FileTooShort},
      {"three bytes", "\x00\x00\x01"s, TrailerError::FileTooShort},
      {"length 0", "MZ viewer" + Trailer(0), TrailerError::ZeroLength},
      {"only a zero trailer", Trailer(0), TrailerError::ZeroLength},
      {"only a trailer of 1", Trailer(1), TrailerError::LengthTooLarge},
      {"length one past the file", "MZ" + std::string("inst") + Trailer(7), TrailerError::LengthTooLarge},
      {"largest length", "MZ viewer" + Trailer(0xFFFFFFFFu), TrailerError::LengthTooLarge},
      // An executable that was never packed ends in its own bytes.
      {"text tail", "MZ viewer image that ends in plain text abcd", TrailerError::LengthTooLarge},
  };
  TempFolder dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto file = StdioFile::Open(dir.Write("book.exe", c.file).string());
    ASSERT_TRUE(file);
    AppendedInstaller found = FindAppendedInstaller(*file->Length(), *file);
    EXPECT_EQ(found.error, c.error);
    EXPECT_FALSE(found.found());
    EXPECT_EQ(found.length, 0u);
  }
}

// A length that claims more than the file holds must not make the caller read
// past the end: the reads fail instead of inventing bytes.
TEST(InstallerTrailer, ReadsNeverPassTheEndOfTheFile) {
  TempFolder dir;
  auto file = StdioFile::Open(dir.Write("short.exe", "abcdef").string());
  ASSERT_TRUE(file);
  char buffer[8] = {};
  EXPECT_TRUE(file->ReadAt(2, buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "cdef");
  EXPECT_FALSE(file->ReadAt(2, buffer, 5));
  EXPECT_FALSE(file->ReadAt(100, buffer, 1));
  EXPECT_FALSE(file->ReadAt(~std::uint64_t{0}, buffer, 1));
  EXPECT_FALSE(StdioFile::Open((dir.Path() / "missing.exe").string()));
}

TEST(InstallerTrailer, WholeFileWritesReportFailure) {
  TempFolder dir;
  const std::string data = "installer bytes";
  std::string good = (dir.Path() / "flash10.exe").string();
  EXPECT_TRUE(WriteWholeFile(good, data.data(), data.size()));
  auto back = StdioFile::Open(good);
  ASSERT_TRUE(back);
  EXPECT_EQ(ReadBack(*back, 0, data.size()), data);

  // The temporary folder's name taken by a file.
  dir.Write("temp", "not a folder");
  EXPECT_FALSE(WriteWholeFile((dir.Path() / "temp" / "flash10.exe").string(), data.data(), data.size()));
  EXPECT_FALSE(WriteWholeFile("", data.data(), data.size()));
}

}  // namespace
}  // namespace vellix
