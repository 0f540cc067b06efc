#include "support/xml_check.hpp"

#include <cctype>
#include <cstring>
#include <vector>

#ifdef VANTRIX_HAVE_EXPAT
#include <expat.h>
#endif

namespace vantrix::testing {
namespace {

#ifndef VANTRIX_HAVE_EXPAT
bool isNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}
bool isNameChar(char c) {
  return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Where no expat is built (the Windows cross build), the well-formedness of the XML vantrix
// writes, checked by hand: a declaration, comments, elements with quoted attributes, and text
// whose markup characters are escaped and whose bytes XML allows. Empty when well-formed.
std::string checkByHand(std::string_view doc) {
  std::size_t at = 0;
  std::vector<std::string_view> open;
  bool rootSeen = false;
  auto name = [&]() -> std::string_view {
    const std::size_t start = at;
    if (at >= doc.size() || !isNameStart(doc[at])) return {};
    while (at < doc.size() && isNameChar(doc[at]))
      ++at;
    return doc.substr(start, at - start);
  };
  auto reference = [&]() {  // at an "&"
    for (const char* entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
      if (doc.compare(at, std::strlen(entity), entity) == 0) return at += std::strlen(entity), true;
    }
    std::size_t end = at + 2;
    const bool hex = doc.compare(at, 3, "&#x") == 0;
    if (hex) ++end;
    const std::size_t digits = end;
    while (end < doc.size() && std::isxdigit(static_cast<unsigned char>(doc[end])) &&
           (hex || std::isdigit(static_cast<unsigned char>(doc[end]))))
      ++end;
    if (doc.compare(at, 2, "&#") != 0 || end == digits || end >= doc.size() || doc[end] != ';') {
      return false;
    }
    at = end + 1;
    return true;
  };
  auto allowed = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 || c == '\t' || c == '\n' || c == '\r';
  };
  if (doc.compare(0, 5, "<?xml") == 0) {
    at = doc.find("?>");
    if (at == std::string_view::npos) return "declaration not closed";
    at += 2;
  }
  while (at < doc.size()) {
    const char c = doc[at];
    if (!allowed(c)) return "a character XML does not allow at byte " + std::to_string(at);
    if (c == '&') {
      if (!reference()) return "a bad reference at byte " + std::to_string(at);
      continue;
    }
    if (c != '<') {
      if (open.empty() && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
        return "text outside the root element at byte " + std::to_string(at);
      }
      ++at;
      continue;
    }
    if (doc.compare(at, 4, "<!--") == 0) {
      const std::size_t end = doc.find("--", at + 4);
      if (end == std::string_view::npos || doc.compare(end, 3, "-->") != 0) {
        return "a comment holding -- or not closed at byte " + std::to_string(at);
      }
      for (std::size_t i = at + 4; i < end; ++i) {
        if (!allowed(doc[i])) return "a character XML does not allow in a comment";
      }
      at = end + 3;
      continue;
    }
    ++at;
    if (at < doc.size() && doc[at] == '/') {
      ++at;
      const std::string_view closed = name();
      if (open.empty() || closed != open.back()) return "a mismatched end tag";
      open.pop_back();
      if (at >= doc.size() || doc[at++] != '>') return "an end tag not closed";
      continue;
    }
    const std::string_view element = name();
    if (element.empty()) return "a bad tag at byte " + std::to_string(at);
    if (open.empty() && rootSeen) return "a second root element";
    rootSeen = true;
    for (;;) {
      while (at < doc.size() && doc[at] == ' ')
        ++at;
      if (at >= doc.size()) return "a tag not closed";
      if (doc.compare(at, 2, "/>") == 0 || doc[at] == '>') break;
      if (name().empty() || at >= doc.size() || doc[at++] != '=' || at >= doc.size() ||
          (doc[at] != '"' && doc[at] != '\'')) {
        return "a bad attribute at byte " + std::to_string(at);
      }
      const char quote = doc[at++];
      while (at < doc.size() && doc[at] != quote) {
        if (doc[at] == '<' || !allowed(doc[at])) return "a bad attribute value";
        if (doc[at] == '&' ? !reference() : (++at, false)) return "a bad reference";
      }
      if (at++ >= doc.size()) return "an attribute value not closed";
    }
    if (doc[at] == '>') open.push_back(element);
    at += doc[at] == '>' ? std::size_t{1} : std::size_t{2};
  }
  if (!open.empty()) return "an element not closed";
  return rootSeen ? "" : "no root element";
}
#endif

}  // namespace

std::string xmlError(std::string_view document) {
#ifdef VANTRIX_HAVE_EXPAT
  XML_Parser parser = XML_ParserCreate(nullptr);
  std::string error;
  if (XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) ==
      XML_STATUS_ERROR) {
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
            std::to_string(XML_GetCurrentLineNumber(parser));
  }
  XML_ParserFree(parser);
  return error;
#else
  return checkByHand(document);
#endif
}

}  // namespace vantrix::testing
