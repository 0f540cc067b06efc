#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrix {

// A date serial counts days from 1899-12-30 00:00:00; its fraction is the time of day.
double timeSerial(std::int32_t hours, std::int32_t minutes, std::int32_t seconds);

// Writes `value` by a pattern. Date patterns ("yyyy-mm-dd-hh:mm:ss", ":nn:ss") take the value
// as a date serial and write `timeSeparator` for each ':'; number patterns ("000") write a
// whole number with at least as many digits as the pattern has zeros.
std::string formatValue(double value, std::string_view pattern, char timeSeparator);

}  // namespace vantrix
