#pragma once

#include <string>
#include <string_view>

namespace vantrix {

// Path rules, kept apart from the platform so both sets can be tested anywhere.
enum class PathStyle {
  posix,    // "/" separates folders; names are compared as bytes
  windows,  // "\" and "/" separate folders; "C:" starts a drive; names ignore letter case
};

bool isSeparator(char c, PathStyle style);
char preferredSeparator(PathStyle style);

// Position of the last separator in `path`, or npos.
std::size_t lastSeparator(std::string_view path, PathStyle style);

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether a name has a byte above 127: one that is not ASCII, whatever page it is in.
bool hasHighByte(std::string_view name);

}  // namespace vantrix
