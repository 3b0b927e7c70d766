#include <gtest/gtest.h>

#include "os/Ports_linux.h"

namespace vellix {
namespace {

// vellix-viewer <path> [argument]: the book's argument 1 is the viewer's
// second.
TEST(LinuxEnvironment, TheBooksArgumentFollowsItsPath) {
  const char* withArgument[] = {"vellix-viewer", "/books/Sample.exe", "\xEC\xAA\xBD 12", "ignored", nullptr};
  const char* withoutArgument[] = {"vellix-viewer", "/books/Sample.exe", nullptr};
  const char* emptyArgument[] = {"vellix-viewer", "/books/Sample.exe", "", nullptr};
  EXPECT_EQ(LinuxEnvironment::FromCommandLine(4, withArgument).Argument1(), u"\uCABD 12");
  EXPECT_EQ(LinuxEnvironment::FromCommandLine(2, withoutArgument).Argument1(), u"");
  EXPECT_EQ(LinuxEnvironment::FromCommandLine(3, emptyArgument).Argument1(), u"");
  EXPECT_EQ(LinuxEnvironment::FromCommandLine(0, nullptr).Argument1(), u"");
}

}  // namespace
}  // namespace vellix
