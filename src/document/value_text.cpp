#include "document/value_text.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantrix {
namespace {

// The time of day is computed with a 64-bit significand, as the engine's own runtime did;
// long double gives that on x86 (GCC and MinGW alike).
using Extended = long double;

struct DateTime {
  long long year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Serials beyond this many days (years past ±270 million) and non-finite ones have no
// calendar date; they are written with every field 0.
constexpr double kLargestSerial = 1e11;

// The proleptic Gregorian date `days` after 1970-01-01 (negative before it).
void civilFromDays(std::int64_t days, DateTime& out) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  out.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  out.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  out.year = yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0);
}

DateTime dateTimeOf(double serial) {
  DateTime fields;
  if (!std::isfinite(serial) || std::fabs(serial) > kLargestSerial) return fields;

  constexpr std::int64_t kSerialZeroInUnixDays = -25569;  // 1899-12-30
  civilFromDays(static_cast<std::int64_t>(std::floor(serial)) + kSerialZeroInUnixDays, fields);

  // The time of day. The 1e-9 bias lets a value a hair below a whole second still show it;
  // seconds are cut, never rounded, and a value within the bias of midnight shows 24:00:00.
  const Extended whole = std::trunc(static_cast<Extended>(serial));
  Extended fraction = static_cast<Extended>(serial) - whole;
  if (fraction < 0) fraction = whole != 0 ? fraction + 1 : -fraction;
  const auto biased = static_cast<double>(fraction + 1e-9L);
  const Extended hours = static_cast<Extended>(biased) * 24;
  fields.hour = static_cast<int>(hours);
  const Extended minutes = (hours - fields.hour) * 60;
  fields.minute = static_cast<int>(minutes);
  fields.second = static_cast<int>((minutes - fields.minute) * 60);
  return fields;
}

std::string printed(const char* format, auto... values) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, format, values...);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The blanks a number may start with.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string saveTimeText(double serial, char timeSeparator) {
  const DateTime t = dateTimeOf(serial);
  return printed("%04lld-%02d-%02d-%02d%c%02d%c%02d", t.year, t.month, t.day, t.hour, timeSeparator,
                 t.minute, timeSeparator, t.second);
}

std::string playingTimeText(std::int32_t frameCount, char timeSeparator) {
  const auto seconds = static_cast<std::int32_t>(std::nearbyint(frameCount / 60.0));
  const std::int32_t hours = seconds / 3600;
  // Minutes and seconds are those of the time of day of `seconds` as a date serial, computed
  // in extended precision as the save time's are.
  const Extended serial = static_cast<Extended>(seconds) / 86400;
  const DateTime t = dateTimeOf(static_cast<double>(serial));
  return printed("%s%03d%c%02d%c%02d", hours < 0 ? "-" : "", std::abs(hours), timeSeparator,
                 t.minute, timeSeparator, t.second);
}

std::string saveSlotId(std::string_view inputFileName) {
  if (inputFileName.size() < 6) return {};
  std::string_view two = inputFileName.substr(inputFileName.size() - 6, 2);
  // Blanks first, then a sign, digits with one point among them: in two characters that is
  // a whole number of one or two digits, or a point and one digit. "&H" and "&O" start a
  // number in another base, which has no digit left here; an exponent has no room.
  while (!two.empty() && isBlank(two.front()))
    two.remove_prefix(1);
  if (two.size() == 2 && isDigit(two[0]) && isDigit(two[1])) {
    const int number = (two[0] - '0') * 10 + (two[1] - '0');
    return number == 0 ? std::string() : std::to_string(number);
  }
  if (two.size() == 2 && (two[0] == '+' || two[0] == '-') && isDigit(two[1])) {
    return two[1] == '0' ? std::string() : std::string(two[0] == '-' ? "-" : "") + two[1];
  }
  if (!two.empty() && isDigit(two[0]) && two[0] != '0') return std::string(1, two[0]);
  // A tenth: only one that rounds to 1 or more names a slot.
  if (two.size() == 2 && two[0] == '.' && two[1] >= '6' && two[1] <= '9') {
    return std::string("0.") + two[1];
  }
  return {};
}

}  // namespace vantrix
