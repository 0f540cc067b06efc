#include "text/letter_case.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "common/paths.hpp"
#include "text/code_page.hpp"
#include "text/letter_case_table.hpp"

namespace vantrix {

char16_t capitalOf(char16_t unit) {
  if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
  using letter_case_tables::CaseRun;
  const CaseRun* const first = letter_case_tables::kCapitalRuns;
  const CaseRun* const end = first + letter_case_tables::kCapitalRunCount;
  // The last run that starts at or before the unit.
  const CaseRun* run = std::upper_bound(
      first, end, unit, [](char16_t value, const CaseRun& r) { return value < r.first; });
  if (run == first) return unit;
  --run;
  if (unit > run->last || (unit - run->first) % run->step != 0) return unit;
  return static_cast<char16_t>(unit + run->delta);
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (equalsIgnoringAsciiCase(a, b)) return true;
  // A capital is ASCII only for an ASCII letter, so a name with units above ASCII never
  // matches one without: nothing to decode for the ASCII names of most folders.
  if (!hasHighByte(a) || !hasHighByte(b)) return false;
  const std::optional<std::u16string> unitsA = decodeToUtf16(a, CodePage::utf8);
  const std::optional<std::u16string> unitsB = decodeToUtf16(b, CodePage::utf8);
  if (!unitsA || !unitsB || unitsA->size() != unitsB->size()) return false;
  return std::equal(unitsA->begin(), unitsA->end(), unitsB->begin(),
                    [](char16_t x, char16_t y) { return capitalOf(x) == capitalOf(y); });
}

}  // namespace vantrix
