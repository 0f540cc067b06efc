#pragma once

#include <string>
#include <string_view>

namespace vantrix {

// Element text of an ISO-8859-1 document: markup characters become entities, tab, line feed
// and carriage return become character references, other control bytes become "?", and every
// other byte (0x80 to 0xFF included) stays as it is.
std::string xmlText(std::string_view text);

// The same, appended to `out`; xmlTextSize gives the length it appends. A long name is thus
// escaped straight into a document, without a copy of its own.
void appendXmlText(std::string& out, std::string_view text);
std::size_t xmlTextSize(std::string_view text);

// Text inside a comment: control bytes become "?", and a space goes between two adjacent "-"
// so that "--" never occurs.
std::string xmlCommentText(std::string_view text);

}  // namespace vantrix
