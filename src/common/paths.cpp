#include "common/paths.hpp"

namespace vantrix {

bool isSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::windows && c == '\\');
}

char preferredSeparator(PathStyle style) {
  return style == PathStyle::windows ? '\\' : '/';
}

std::size_t lastSeparator(std::string_view path, PathStyle style) {
  for (std::size_t i = path.size(); i-- > 0;) {
    if (isSeparator(path[i], style)) return i;
  }
  return std::string_view::npos;
}

static char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

bool hasHighByte(std::string_view name) {
  for (char c : name) {
    if ((c & 0x80) != 0) return true;
  }
  return false;
}

}  // namespace vantrix
