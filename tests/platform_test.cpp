#include "platform/platform.hpp"

#include <gtest/gtest.h>

#include "support/temp_folder.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/time_format.hpp"
#endif

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
    // Memory lent to the read, larger and full of other bytes, holds exactly the file after it.
    Arena memory;
    const std::uint8_t* lent = memory.borrow(Use::file, 100).data();
    std::optional<Lent> bytes = platform::readFile(path, c.maxBytes, memory);
    ASSERT_EQ(bytes.has_value(), c.read) << c.maxBytes;
    if (bytes) {
      EXPECT_EQ(Bytes(bytes->span().begin(), bytes->span().end()),
                Bytes({'1', '2', '3', '4', '5'}));
      EXPECT_EQ(bytes->data(), lent);
    }
  }
#ifndef _WIN32
  Arena memory;
  const std::optional<Lent> device = platform::readFile("/dev/zero", 1, memory);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->size(), 0u);
#endif
}

#ifndef _WIN32
// The separator between hour and minute of the C library's time formats (most taken from
// its locales); ":" where there is none that one byte could stand for.
TEST(Platform, TimeSeparatorOfALocalesTimeFormat) {
  const std::pair<std::string_view, char> cases[] = {
      {"%H:%M:%S", ':'},
      {"%H.%M.%S", '.'},                                    // fi_FI
      {"kl. %H.%M %z", '.'},                                // a prefix that is no separator
      {"%Z %I:%M:%S %p", ':'},                              // a zone before the hour
      {"%OH:%OM:%OS", ':'},                                 // modifiers
      {"%r", ':'},                                          // en_US
      {"%H\xE6\x99\x82%M\xE5\x88\x86%S\xE7\xA7\x92", ':'},  // ja_JP in UTF-8: "%H時%M分%S秒"
      {"%Ie%M:%S %p", ':'},                                 // a letter is part of a word
      {"%H%%%M", ':'},                                      // a percent sign is a conversion
      {"%H h %M", ':'},                                     // more than one character
      {"%M:%S", ':'},                                       // no hour
      {"", ':'},
  };
  for (const auto& [format, separator] : cases)
    EXPECT_EQ(platform::timeSeparatorOf(format), separator) << format;
}
#endif

#ifdef _WIN32
// An output another program holds open without letting it be deleted (as many readers do)
// cannot be replaced by renaming, but is written in place.
TEST(Platform, OutputHeldOpenIsWrittenInPlace) {
  testing::TempFolder folder;
  const std::string path = folder.write("held.xml", "old document");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform::replaceFile(path, "new"), platform::ReplaceStatus::written);
  CloseHandle(held);
  EXPECT_EQ(platform::readFile(path), Bytes({'n', 'e', 'w'}));
}
#endif

}  // namespace
}  // namespace vantrix
