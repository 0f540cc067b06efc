#include "support/xml_check.hpp"

#include <expat.h>

namespace vantrix::testing {

std::string xmlError(std::string_view document) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  std::string error;
  if (XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) ==
      XML_STATUS_ERROR) {
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
            std::to_string(XML_GetCurrentLineNumber(parser));
  }
  XML_ParserFree(parser);
  return error;
}

}  // namespace vantrix::testing
