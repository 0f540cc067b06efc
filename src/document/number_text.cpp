#include "document/number_text.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace vantrix {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int digitValue(char c, int base) {
  int value = -1;
  if (isDigit(c)) {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value < base ? value : -1;
}

double radixNumber(std::string_view digits, int base) {
  double value = 0;
  for (char c : digits) {
    int digit = digitValue(c, base);
    if (digit < 0) break;
    value = value * base + digit;
  }
  return value;
}

bool isBlankOrControlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char exponentLetter(char c) {
  return c == 'D' ? 'E' : c == 'd' ? 'e' : c;
}

double decimalNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlankOrControlSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // The canonical text handed to from_chars: digits, at most one '.', then an exponent.
  std::string number;
  bool seenPoint = false;
  std::size_t digits = 0;
  for (; i < text.size(); ++i) {
    if (isDigit(text[i])) {
      number += text[i];
      ++digits;
    } else if (text[i] == '.' && !seenPoint) {
      number += '.';
      seenPoint = true;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;

  // An exponent counts only when complete: a letter, an optional sign and a digit.
  if (i < text.size() && (exponentLetter(text[i]) | 0x20) == 'e') {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && isDigit(text[j])) {
      number += 'e';
      number.append(text.substr(i + 1, j - i - 1));
      while (j < text.size() && isDigit(text[j]))
        number += text[j++];
    }
  }

  double value = 0;
#ifndef _LIBCPP_VERSION
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  const bool outOfRange = error == std::errc::result_out_of_range;
#else
  // libc++ (the WebAssembly build's) has no floating-point from_chars: strtod reads the same
  // plain decimal text alike in the C locale that build keeps.
  errno = 0;
  value = std::strtod(number.c_str(), nullptr);
  const bool outOfRange = errno == ERANGE;
#endif
  if (outOfRange) {
    // Too large keeps its sign as infinity; too small is zero.
    bool tooSmall = number.find("e-") != std::string::npos;
    value = tooSmall ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

}  // namespace

std::string integerText(std::int32_t value) {
  return std::to_string(value);
}

std::string numberText(double value) {
  char buffer[64];
#ifndef _LIBCPP_VERSION
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 16);
  if (error != std::errc()) return {};
  return std::string(buffer, end);
#else
  // Nor to_chars with a precision: its general format is defined as printf's %.16g in the C
  // locale.
  const int length = std::snprintf(buffer, sizeof buffer, "%.16g", value);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
#endif
}

double textToNumber(std::string_view text) {
  std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return 0;
  text.remove_prefix(start);
  if (text.size() >= 2 && text[0] == '&') {
    switch (text[1]) {
      case 'B':
      case 'b':
        return radixNumber(text.substr(2), 2);
      case 'H':
      case 'h':
        return radixNumber(text.substr(2), 16);
      case 'O':
      case 'o':
        return radixNumber(text.substr(2), 8);
      default:
        break;
    }
  }
  return decimalNumber(text);
}

}  // namespace vantrix
