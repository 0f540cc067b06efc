#include "document/xml_text.hpp"

namespace vantrix {

namespace {

// The replacement of a byte that element text cannot hold as it is; empty for one it can.
std::string_view escapeOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\t':
      return "&#9;";
    case '\n':
      return "&#10;";
    case '\r':
      return "&#13;";
    default:
      return static_cast<unsigned char>(c) < 0x20 ? "?" : "";
  }
}

}  // namespace

std::size_t xmlTextSize(std::string_view text) {
  std::size_t size = 0;
  for (char c : text) {
    const std::string_view escape = escapeOf(c);
    size += escape.empty() ? 1 : escape.size();
  }
  return size;
}

void appendXmlText(std::string& out, std::string_view text) {
  for (char c : text) {
    const std::string_view escape = escapeOf(c);
    if (escape.empty()) {
      out += c;
    } else {
      out += escape;
    }
  }
}

std::string xmlText(std::string_view text) {
  std::string out;
  out.reserve(xmlTextSize(text));
  appendXmlText(out, text);
  return out;
}

std::string xmlCommentText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '-' && !out.empty() && out.back() == '-') out += ' ';
    out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  }
  return out;
}

}  // namespace vantrix
