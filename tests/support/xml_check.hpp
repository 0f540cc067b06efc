#pragma once

#include <string>
#include <string_view>

namespace vantrix::testing {

// Parses a document: empty when it is well-formed XML, else why not. By expat, or where no
// expat is built (the Windows cross build) by a check of the XML vantrix writes.
std::string xmlError(std::string_view document);

}  // namespace vantrix::testing
