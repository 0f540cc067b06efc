#include "support/xml_check.hpp"

#ifdef VANTRIX_HAVE_EXPAT
#include <expat.h>
#endif

namespace vantrix::testing {

bool canCheckXml() {
#ifdef VANTRIX_HAVE_EXPAT
  return true;
#else
  return false;
#endif
}

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
  (void)document;
  return {};
#endif
}

}  // namespace vantrix::testing
