#pragma once

#include <string_view>

namespace vantrix {

// The capital of a UTF-16 unit: its own when it is no small letter, or when its capital is
// more than one unit or an ASCII letter for a non-ASCII one (see tools/make_letter_case.py).
char16_t capitalOf(char16_t unit);

// Whether two file names are one name ignoring letter case, as Windows' file systems compare
// names: unit by unit through their capitals where both are UTF-8, and byte by byte ignoring
// ASCII case otherwise.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vantrix
