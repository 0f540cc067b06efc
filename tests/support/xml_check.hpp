#pragma once

#include <string>
#include <string_view>

namespace vantrix::testing {

// Parses a document with expat: empty when it is well-formed XML, else the parser's error.
std::string xmlError(std::string_view document);

}  // namespace vantrix::testing
