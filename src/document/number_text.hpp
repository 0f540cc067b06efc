#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrix {

// Decimal digits, with "-" before a negative number and nothing else.
std::string integerText(std::int32_t value);

// The shortest form that "%.16g" writes: 1, 12, 0.5, -3.
std::string numberText(double value);

// The number a text begins with: leading blanks are skipped, "&H", "&O" and "&B" start a
// hexadecimal, octal or binary integer, anything else is read as a decimal number ("D"
// standing for the exponent letter "E"); text that starts no number gives 0.
double textToNumber(std::string_view text);

}  // namespace vantrix
