#pragma once

#include <string>

#include "common/bytes.hpp"

namespace vantrix::testing {

// A plain RFC 4648 decoder for checking embedded pictures, which hold zero bytes that the
// program's own lenient decoder stops at. Nothing on any character outside the alphabet.
Bytes strictBase64(const std::string& text);

}  // namespace vantrix::testing
