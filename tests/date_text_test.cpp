#include "document/date_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vantrix {
namespace {

constexpr const char* kSaveTime = "yyyy-mm-dd-hh:mm:ss";

TEST(DateText, SaveTimes) {
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
  };
  for (const auto& [serial, text] : cases) {
    EXPECT_EQ(formatValue(serial, kSaveTime, ':'), text) << "serial " << serial;
  }
}

TEST(DateText, TimeSeparatorReplacesEveryColon) {
  EXPECT_EQ(formatValue(40397.75, kSaveTime, '.'), "2010-08-07-18.00.00");
  EXPECT_EQ(formatValue(timeSerial(0, 0, 61), ":nn:ss", '.'), ".01.01");
}

TEST(DateText, PlayingTimeMinutesAndSeconds) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, ":00:00"},    {59, ":00:59"},    {60, ":01:00"},   {3599, ":59:59"},
      {3600, ":00:00"}, {90061, ":01:01"}, {5400, ":30:00"}, {2147483647, ":14:07"},
  };
  for (const auto& [seconds, text] : cases) {
    EXPECT_EQ(formatValue(timeSerial(0, 0, seconds), ":nn:ss", ':'), text) << seconds << " s";
  }
  // Every whole second of a day, minutes and seconds exact.
  for (std::int32_t s = 0; s < 86400; s += 7) {
    char expected[16];  // room for any int, so no build warns of truncation
    std::snprintf(expected, sizeof expected, ":%02d:%02d", (s % 3600) / 60, s % 60);
    ASSERT_EQ(formatValue(timeSerial(0, 0, s), ":nn:ss", ':'), expected) << s;
  }
}

TEST(DateText, UnrepresentableSerialsEndAtOnce) {
  for (double serial :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300, 1e12}) {
    EXPECT_EQ(formatValue(serial, kSaveTime, ':').size(), 19u) << serial;
  }
}

TEST(DateText, HoursPattern) {
  const std::pair<double, const char*> cases[] = {
      {0, "000"},       {7, "007"},     {42, "042"},    {999, "999"},       {1000, "1000"},
      {12345, "12345"}, {-3, "-003"},   {-0.6, "-001"}, {-0.05, "000"},     {0.05, "000"},
      {0.5, "000"},     {0.6, "001"},   {1.4, "001"},   {1.5, "001"},       {1.5000001, "002"},
      {999.51, "1000"}, {-0.5, "-000"}, {2.5, "002"},   {596523, "596523"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(formatValue(value, "000", ':'), text) << value;
  }
}

TEST(DateText, TimeSerialIsAFractionOfADay) {
  EXPECT_EQ(timeSerial(24, 0, 0), 1.0);
  EXPECT_EQ(timeSerial(0, 0, 43200), 0.5);
  EXPECT_EQ(timeSerial(0, 1440, 0), 1.0);
}

}  // namespace
}  // namespace vantrix
