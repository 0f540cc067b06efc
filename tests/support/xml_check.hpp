#pragma once

#include <string>
#include <string_view>

namespace vantrix::testing {

// Whether this build has an XML parser to check documents with (expat).
bool canCheckXml();

// Parses a document with expat: empty when it is well-formed XML, else the parser's error.
// Always empty where canCheckXml() is false.
std::string xmlError(std::string_view document);

}  // namespace vantrix::testing
