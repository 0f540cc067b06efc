#include "document/date_text.hpp"

#include <cmath>
#include <cstdio>

namespace vantrix {
namespace {

// Both the date and the time of day are computed with a 64-bit significand, as the engine's
// own runtime did; long double gives that on x86 (GCC and MinGW alike).
using Extended = long double;

struct DateTimeFields {
  std::int64_t year = 0;
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
void civilFromDays(std::int64_t days, DateTimeFields& out) {
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

DateTimeFields decodeSerial(double serial) {
  DateTimeFields fields;
  if (!std::isfinite(serial) || std::fabs(serial) > kLargestSerial) return fields;

  constexpr std::int64_t kSerialZeroInUnixDays = -25569;  // 1899-12-30
  civilFromDays(static_cast<std::int64_t>(std::floor(serial)) + kSerialZeroInUnixDays, fields);

  // The time of day. The 1e-9 bias lets a value a hair below a whole second still show it;
  // seconds are cut, never rounded.
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

void appendNumber(std::string& out, const char* format, long long value) {
  char buffer[32];
  int length = std::snprintf(buffer, sizeof buffer, format, value);
  if (length > 0) out.append(buffer, static_cast<std::size_t>(length));
}

bool isDatePlaceholder(char c) {
  switch (c) {
    case 'y':
    case 'm':
    case 'd':
    case 'h':
    case 'n':
    case 's':
    case 'Y':
    case 'M':
    case 'D':
    case 'H':
    case 'N':
    case 'S':
      return true;
    default:
      return false;
  }
}

std::string formatDate(double serial, std::string_view pattern, char timeSeparator) {
  const DateTimeFields fields = decodeSerial(serial);
  std::string out;
  bool afterHour = false;  // whether the last placeholder run was an hour
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (!isDatePlaceholder(c)) {
      out += c == ':' ? timeSeparator : c;
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c)
      ++run;
    i += run;
    const char* twoDigits = run >= 2 ? "%02lld" : "%lld";
    switch (c | 0x20) {  // placeholders ignore letter case
      case 'y':
        appendNumber(out, run >= 3 ? "%04lld" : "%02lld",
                     run >= 3 ? fields.year : fields.year % 100);
        break;
      case 'm':
        appendNumber(out, twoDigits, afterHour && run <= 2 ? fields.minute : fields.month);
        break;
      case 'd':
        appendNumber(out, twoDigits, fields.day);
        break;
      case 'h':
        appendNumber(out, twoDigits, fields.hour);
        break;
      case 'n':
        appendNumber(out, twoDigits, fields.minute);
        break;
      case 's':
        appendNumber(out, twoDigits, fields.second);
        break;
    }
    afterHour = (c | 0x20) == 'h';
  }
  return out;
}

// The number pattern: the value rounded to a whole number, a fraction of exactly one half
// (or within 1e-15 above it) going down, then zero-filled to the pattern's count of zeros.
std::string formatNumber(double value, std::size_t minimumDigits) {
  if (!std::isfinite(value)) return std::string(minimumDigits, '0');
  if (value != 0 && std::floor(std::log10(std::fabs(value))) + 1 < 0) value = 0;
  const double fraction = value - std::trunc(value);
  const Extended scaled = static_cast<Extended>(fraction) * 1e15L;
  const auto fifteenDigits = static_cast<std::int64_t>(scaled);
  if (fifteenDigits > 500'000'000'000'000) {
    value = std::ceil(value);
  } else if (fifteenDigits < -500'000'000'000'000) {
    value = std::floor(value);
  }
  const double whole = std::trunc(value);
  std::string digits;
  if (whole != 0) {
    char buffer[400];
    int length = std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(whole));
    if (length > 0) digits.assign(buffer, static_cast<std::size_t>(length));
  } else if (value == 0) {
    digits = "0";
  }
  std::string out = value < 0 ? "-" : "";
  if (digits.size() < minimumDigits) out.append(minimumDigits - digits.size(), '0');
  return out + digits;
}

bool isNumberPatternChar(char c) {
  return c == '#' || c == '%' || c == '+' || c == ',' || c == '-' || c == '.' || c == '0' ||
         c == 'E' || c == 'e';
}

bool isDatePatternChar(char c) {
  return c == '/' || c == ':' || c == 'H' || c == 'M' || c == 'd' || c == 'h' || c == 'm' ||
         c == 'n' || c == 's' || c == 't' || c == 'y';
}

}  // namespace

double timeSerial(std::int32_t hours, std::int32_t minutes, std::int32_t seconds) {
  const Extended sum = static_cast<Extended>(hours) / 24 + static_cast<Extended>(minutes) / 1440 +
                       static_cast<Extended>(seconds) / 86400;
  return static_cast<double>(sum);
}

std::string formatValue(double value, std::string_view pattern, char timeSeparator) {
  for (char c : pattern) {
    if (isNumberPatternChar(c)) {
      std::size_t zeros = 0;
      for (char z : pattern)
        zeros += z == '0' ? 1 : 0;
      return formatNumber(value, zeros);
    }
    if (isDatePatternChar(c)) return formatDate(value, pattern, timeSeparator);
  }
  return std::string(pattern);
}

}  // namespace vantrix
