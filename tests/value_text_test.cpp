#include "document/value_text.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

namespace vantrix {
namespace {

TEST(ValueText, SaveTimes) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "1899-12-30-00:00:00"},
      {1.0, "1899-12-31-00:00:00"},
      {2.0, "1900-01-01-00:00:00"},
      {60.0, "1900-02-28-00:00:00"},
      {61.0, "1900-03-01-00:00:00"},
      {40397.75, "2010-08-07-18:00:00"},
      {40397 + 45296.7 / 86400, "2010-08-07-12:34:56"},
      {40397.9999999995, "2010-08-07-24:00:00"},
      {-1.5, "1899-12-28-12:00:00"},
      {-0.25, "1899-12-29-06:00:00"},
      {2958465.999988426, "9999-12-31-23:59:59"},
      {-693593.0, "0001-01-01-00:00:00"},
      {-693594.0, "0000-12-31-00:00:00"},
      {-693594.0 - 366, "-001-12-31-00:00:00"},  // year 0 is a leap year
      {58.0, "1900-02-26-00:00:00"},
      {36526.0 + 31 + 28, "2000-02-29-00:00:00"},
      // Serials without a calendar date give every field 0 at once.
      {std::numeric_limits<double>::infinity(), "0000-00-00-00:00:00"},
      {-std::numeric_limits<double>::infinity(), "0000-00-00-00:00:00"},
      {std::numeric_limits<double>::quiet_NaN(), "0000-00-00-00:00:00"},
      {1e300, "0000-00-00-00:00:00"},
      {-1e12, "0000-00-00-00:00:00"},
      {1e11, "273792600-09-11-00:00:00"},
  };
  for (const auto& [serial, text] : cases) {
    EXPECT_EQ(saveTimeText(serial, ':'), text) << "serial " << serial;
  }
  EXPECT_EQ(saveTimeText(40397.75, '.'), "2010-08-07-18.00.00");
}

// The date of every 17th day from year -9999 to 9999 against the C++ library's own calendar.
TEST(ValueText, SaveDatesFollowTheGregorianCalendar) {
  using namespace std::chrono;
  const sys_days serialZero = year{1899} / December / 30;
  const auto first = (sys_days{year{-9999} / January / 1} - serialZero).count();
  const auto last = (sys_days{year{9999} / December / 31} - serialZero).count();
  for (auto serial = first; serial <= last; serial += 17) {
    const year_month_day date{serialZero + days{serial}};
    char expected[32];
    std::snprintf(expected, sizeof expected, "%04d-%02u-%02u-00:00:00",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
    ASSERT_EQ(saveTimeText(static_cast<double>(serial), ':'), expected) << "serial " << serial;
  }
}

// Minutes and seconds of every whole second of a day are exact, though computed as the time
// of day of a date serial.
TEST(ValueText, PlayingTimeMinutesAndSeconds) {
  for (std::int32_t s = 0; s < 86400; s += 7) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%03d:%02d:%02d", s / 3600, (s % 3600) / 60, s % 60);
    ASSERT_EQ(playingTimeText(s * 60, ':'), expected) << s;
  }
}

// Every pair of bytes before the extension: tests/data/slot_ids.txt lists those that name a
// slot, and all others give no id.
TEST(ValueText, SlotIdOfEveryTwoCharacters) {
  std::ifstream file(std::filesystem::path(VANTRIX_TEST_DATA) / "slot_ids.txt");
  ASSERT_TRUE(file) << "tests/data/slot_ids.txt is missing";
  std::map<int, std::string> ids;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    ids[std::stoi(line.substr(0, 4), nullptr, 16)] = line.substr(5);
  }
  ASSERT_EQ(ids.size(), 2389u);
  for (int pair = 0; pair < 65536; ++pair) {
    const std::string name = std::string("Save") + static_cast<char>(pair >> 8) +
                             static_cast<char>(pair & 0xFF) + ".lsd";
    const auto id = ids.find(pair);
    ASSERT_EQ(saveSlotId(name), id == ids.end() ? "" : id->second) << std::hex << pair;
  }
  for (const char* shortName : {"", "7.lsd", "ab"})
    EXPECT_EQ(saveSlotId(shortName), "") << shortName;
}

}  // namespace
}  // namespace vantrix
