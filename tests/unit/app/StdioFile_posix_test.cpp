#include <gtest/gtest.h>

#include <string>

#include "app/StdioFile.h"

namespace vellix {
namespace {

// A write the buffer accepts but the device refuses surfaces only when the
// stream is flushed at close; that must count as a failed write.
TEST(WholeFileWrite, FailureAtCloseIsReported) {
  const std::string data(100, 'x');
  EXPECT_FALSE(WriteWholeFile("/dev/full", data.data(), data.size()));
}

}  // namespace
}  // namespace vellix
