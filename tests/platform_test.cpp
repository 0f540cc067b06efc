#include "platform/platform.hpp"

#include <gtest/gtest.h>

#include "support/temp_folder.hpp"

namespace vantrix {
namespace {

// A bounded read gives the whole file up to its bound and nothing beyond it; devices still
// read as empty.
TEST(Platform, BoundedReadTakesFilesUpToTheBound) {
  testing::TempFolder folder;
  const std::string path = folder.write("five", "12345");
  const struct {
    std::uint64_t maxBytes;
    bool read;
  } cases[] = {{0, false}, {4, false}, {5, true}, {6, true}, {UINT64_MAX, true}};
  for (const auto& c : cases) {
    const std::optional<Bytes> bytes = platform::readFile(path, c.maxBytes);
    ASSERT_EQ(bytes.has_value(), c.read) << c.maxBytes;
    if (bytes) {
      EXPECT_EQ(*bytes, Bytes({'1', '2', '3', '4', '5'}));
    }
  }
#ifndef _WIN32
  EXPECT_EQ(platform::readFile("/dev/zero", 1), Bytes());
#endif
  // Memory lent to the read, larger and full of other bytes, holds exactly the file after it.
  Bytes memory(100, 0xEE);
  const std::uint8_t* lent = memory.data();
  const std::optional<Bytes> bytes = platform::readFile(path, 5, nullptr, std::move(memory));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, Bytes({'1', '2', '3', '4', '5'}));
  EXPECT_EQ(bytes->data(), lent);
}

}  // namespace
}  // namespace vantrix
