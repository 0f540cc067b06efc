#pragma once

#include <string>
#include <string_view>

namespace vantrix {

// The capital of a UTF-16 unit: its own when it is no small letter, or when its capital is
// more than one unit or an ASCII letter for a non-ASCII one (see tools/make_letter_case.py).
char16_t capitalOf(char16_t unit);

// A file name with what comparing it ignoring letter case needs, worked out once: a folder's
// names are each compared with several wanted ones.
struct CaseKey {
  explicit CaseKey(std::string name);
  std::string name;
  // The capitals of a UTF-8 name with a byte above 127, unit by unit; empty for other names.
  std::u16string capitals;
};

// Whether two file names are one name ignoring letter case, as Windows' file systems compare
// names: unit by unit through their capitals where both are UTF-8 with letters beyond ASCII,
// and byte by byte ignoring ASCII case otherwise.
bool sameNameIgnoringCase(const CaseKey& a, const CaseKey& b);

}  // namespace vantrix
