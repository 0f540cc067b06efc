#include "platform/posix/time_format.hpp"

#include <cstddef>

namespace vantrix::platform {
namespace {

// The conversion character of the conversion at format[at] (a '%'), past its E and O
// modifiers, and where the conversion ends; '\0' when the format ends first.
char conversionAt(std::string_view format, std::size_t at, std::size_t& end) {
  std::size_t i = at + 1;
  while (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
    ++i;
  end = i + 1;
  return i < format.size() ? format[i] : '\0';
}

bool isSeparatorChar(char c) {
  const bool letterOrDigit =
      (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return c >= ' ' && c <= '~' && !letterOrDigit && c != '%';
}

}  // namespace

char timeSeparatorOf(std::string_view format) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    std::size_t end = 0;
    const char conversion = conversionAt(format, i, end);
    switch (conversion) {
      case 'T':
      case 'R':
      case 'r':
        return ':';
      case 'H':
      case 'I':
      case 'k':
      case 'l': {
        // The hour: a separator is the one character between it and the minute.
        std::size_t minuteEnd = 0;
        if (end + 1 < format.size() && isSeparatorChar(format[end]) && format[end + 1] == '%' &&
            conversionAt(format, end + 1, minuteEnd) == 'M') {
          return format[end];
        }
        return ':';
      }
      default:
        i = end - 1;  // past the conversion, "%%" included
        break;
    }
  }
  return ':';
}

}  // namespace vantrix::platform
