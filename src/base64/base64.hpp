#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.hpp"

namespace vantrix {

// The standard Base64 alphabet with "=" padding, written as one line without line breaks.
// No bytes give the empty text.
std::string encodeBase64(ByteView bytes);

// encodeBase64's text appended to `text`, where a caller builds a larger text in place.
// Throws std::bad_alloc (or std::length_error) when `text` cannot grow.
void appendBase64(std::string& text, ByteView bytes);

// Turns Base64 text back into bytes, leniently: every byte outside the alphabet (blank, CR,
// LF, "=", anything else) counts as the value 0, a text whose length is no multiple of 4 is
// completed with zero values, and the result ends before the first zero byte. Padded text
// thereby loses its pad bytes; data that holds a zero byte is cut there, so this decodes
// text, not arbitrary bytes.
std::string decodeBase64(const std::string& text);

// Cuts the text into lines of `width` characters (the last one may be shorter), each ended
// by CR LF. Width 0 gives the text unchanged.
std::string wrapLines(const std::string& text, std::uint32_t width);

// The bytes of Base64 text, strictly: CR and LF are skipped; any other character outside the
// alphabet, a length that is no multiple of 4 or misplaced padding gives nothing.
std::optional<Bytes> decodeBase64Strict(std::string_view text);

// Takes out every CR LF pair, scanning from the left; a lone CR or LF stays.
std::string removeLineBreaks(const std::string& text);

}  // namespace vantrix
