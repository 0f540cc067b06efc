#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.hpp"

namespace vantrix {

// The standard Base64 alphabet with "=" padding, appended to `text` as one line without line
// breaks, where a caller builds a larger text in place. No bytes append nothing.
void appendBase64(std::string& text, ByteView bytes);

// The bytes of Base64 text, strictly: CR and LF are skipped; any other character outside the
// alphabet, a length that is no multiple of 4 or misplaced padding gives nothing.
std::optional<Bytes> decodeBase64(std::string_view text);

}  // namespace vantrix
