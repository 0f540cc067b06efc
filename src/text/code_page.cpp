#include "text/code_page.hpp"

#include <charconv>

#include "common/paths.hpp"
#include "text/code_page_tables.hpp"

namespace vantrix {
namespace {

namespace tables = code_page_tables;

struct PageNames {
  CodePage page;
  std::uint16_t number;
  std::string_view text;
  std::array<std::string_view, 3> names;
};

constexpr std::array<PageNames, 8> kPageNames = {{
    {CodePage::utf8, 65001, "UTF-8", {"utf-8", "utf8"}},
    {CodePage::shiftJis, 932, "932 (Japanese, Shift-JIS)", {"shift-jis", "shift_jis", "sjis"}},
    {CodePage::gbk, 936, "936 (Simplified Chinese, GBK)", {"gbk"}},
    {CodePage::uhc, 949, "949 (Korean, Unified Hangul Code)", {"uhc"}},
    {CodePage::big5, 950, "950 (Traditional Chinese, Big5)", {"big5"}},
    {CodePage::western, 1252, "1252 (Western European)", {}},
    {CodePage::centralEuropean, 1250, "1250 (Central European)", {}},
    {CodePage::cyrillic, 1251, "1251 (Cyrillic)", {}},
}};

const PageNames& namesOf(CodePage page) {
  for (const auto& entry : kPageNames) {
    if (entry.page == page) return entry;
  }
  return kPageNames[0];
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::uint8_t byteAt(std::string_view bytes, std::size_t i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

// Unicode's table of well-formed UTF-8: the second byte's range is narrowed after E0, ED, F0
// and F4, which is what keeps out overlong forms, surrogates and values above U+10FFFF.
template <typename Emit>
bool decodeUtf8Bytes(std::string_view bytes, Emit&& emit) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t first = byteAt(bytes, i);
    if (first < 0x80) {
      emit(first);
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
      length = 2;
      codePoint = first & 0x1Fu;
    } else if (first >= 0xE0 && first <= 0xEF) {
      length = 3;
      codePoint = first & 0x0Fu;
      if (first == 0xE0) low = 0xA0;
      if (first == 0xED) high = 0x9F;
    } else if (first >= 0xF0 && first <= 0xF4) {
      length = 4;
      codePoint = first & 0x07u;
      if (first == 0xF0) low = 0x90;
      if (first == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const std::uint8_t next = byteAt(bytes, i + k);
      if (next < low || next > high) return false;
      low = 0x80;
      high = 0xBF;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    emit(codePoint);
    i += length;
  }
  return true;
}

// 0 when the pair is no character. The spans of one lead byte are few, so the scan is short.
char16_t doubleByteUnit(const tables::PageTable& table, std::uint8_t lead, std::uint8_t trail) {
  const std::size_t leadIndex = lead - 0x80u;
  std::size_t unit = table.leads[leadIndex].unit;
  for (std::size_t s = table.leads[leadIndex].span; s < table.leads[leadIndex + 1].span; ++s) {
    const tables::TrailSpan& span = table.spans[s];
    if (trail < span.firstTrail) return 0;
    const std::size_t offset = trail - span.firstTrail;
    if (offset < span.count) {
      return span.firstUnit != 0 ? static_cast<char16_t>(span.firstUnit + offset)
                                 : static_cast<char16_t>(table.units[unit + offset]);
    }
    if (span.firstUnit == 0) unit += span.count;
  }
  return 0;
}

template <typename Emit>
bool decodeTableBytes(std::string_view bytes, const tables::PageTable& table, Emit&& emit) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t first = byteAt(bytes, i);
    if (first < 0x80) {
      emit(first);
      ++i;
      continue;
    }
    const std::uint16_t unit = table.high[first - 0x80u];
    if (unit == 0) return false;
    if (unit != tables::kLeadByte) {
      emit(unit);
      ++i;
      continue;
    }
    if (i + 1 == bytes.size()) return false;
    const char16_t pair = doubleByteUnit(table, first, byteAt(bytes, i + 1));
    if (pair == 0) return false;
    emit(pair);
    i += 2;
  }
  return true;
}

const tables::PageTable* tableOf(CodePage page) {
  switch (page) {
    case CodePage::utf8:
      return nullptr;
    case CodePage::shiftJis:
      return &tables::kShiftJis;
    case CodePage::gbk:
      return &tables::kGbk;
    case CodePage::uhc:
      return &tables::kUhc;
    case CodePage::big5:
      return &tables::kBig5;
    case CodePage::western:
      return &tables::kWestern;
    case CodePage::centralEuropean:
      return &tables::kCentralEuropean;
    case CodePage::cyrillic:
      return &tables::kCyrillic;
  }
  return nullptr;
}

// Calls emit with each code point; false when the bytes are not text of the page.
template <typename Emit>
bool decodeCodePoints(std::string_view bytes, CodePage page, Emit&& emit) {
  const tables::PageTable* table = tableOf(page);
  return table != nullptr ? decodeTableBytes(bytes, *table, emit) : decodeUtf8Bytes(bytes, emit);
}

void appendUtf16(std::u16string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}

void appendUtf8(std::string& out, char32_t codePoint) {
  auto put = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | (codePoint >> 6));
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | (codePoint >> 12));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | (codePoint >> 18));
    put(0x80 | ((codePoint >> 12) & 0x3F));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::string_view toString(CodePage page) {
  return namesOf(page).text;
}

std::uint16_t codePageNumber(CodePage page) {
  return namesOf(page).number;
}

std::optional<CodePage> parseCodePage(std::string_view text) {
  for (const auto& entry : kPageNames) {
    if (equalsIgnoringAsciiCase(text, entry.text)) return entry.page;
    for (std::string_view name : entry.names) {
      if (!name.empty() && equalsIgnoringAsciiCase(text, name)) return entry.page;
    }
  }
  for (std::string_view prefix : {"cp", "windows-"}) {
    if (startsWithIgnoringCase(text, prefix)) {
      text.remove_prefix(prefix.size());
      break;
    }
  }
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  for (const auto& entry : kPageNames) {
    if (entry.number == number) return entry.page;
  }
  return std::nullopt;
}

std::optional<std::u16string> decodeToUtf16(std::string_view bytes, CodePage page) {
  std::u16string out;
  out.reserve(bytes.size());
  if (!decodeCodePoints(bytes, page, [&out](char32_t c) { appendUtf16(out, c); })) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> decodeToUtf8(std::string_view bytes, CodePage page) {
  std::string out;
  out.reserve(bytes.size());
  if (!decodeCodePoints(bytes, page, [&out](char32_t c) { appendUtf8(out, c); })) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> encodeUtf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t unit = units[i];
    if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == units.size()) return std::nullopt;
      const char32_t low = units[i + 1];
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      ++i;
      continue;
    }
    appendUtf8(out, unit);
  }
  return out;
}

}  // namespace vantrix
