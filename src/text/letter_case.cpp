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

CaseKey::CaseKey(std::string text) : name(std::move(text)) {
  // A capital is ASCII only for an ASCII letter, so a name with units above ASCII never
  // matches one without: nothing to decode for the ASCII names of most folders.
  if (!hasHighByte(name)) return;
  if (std::optional<std::u16string> units = decodeToUtf16(name, CodePage::utf8)) {
    for (char16_t& unit : *units)
      unit = capitalOf(unit);
    capitals = std::move(*units);
  }
}

bool sameNameIgnoringCase(const CaseKey& a, const CaseKey& b) {
  if (equalsIgnoringAsciiCase(a.name, b.name)) return true;
  return !a.capitals.empty() && a.capitals == b.capitals;
}

}  // namespace vantrix
