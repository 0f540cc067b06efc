#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vantrix/text.hpp"

namespace vantrix {

// CodePage, its names and trial order are part of the public interface (vantrix/text.hpp).

// Strict decoding: nothing when any byte or byte pair is not a character of the page (a
// lead byte at the end, an undefined trail byte, an unassigned byte or double-byte code).
// For UTF-8 also overlong forms, surrogates and values above U+10FFFF are refused.
// Characters above U+FFFF become surrogate pairs.
std::optional<std::u16string> decodeToUtf16(std::string_view bytes, CodePage page);
std::optional<std::string> decodeToUtf8(std::string_view bytes, CodePage page);

// Nothing when a surrogate is not part of a high-low pair.
std::optional<std::string> encodeUtf16ToUtf8(std::u16string_view units);

}  // namespace vantrix
