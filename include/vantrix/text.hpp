#pragma once

// Names in a game's own code page. Saves hold every name (hero, face sets) as bytes in the
// code page the game was made in; these turn them into UTF-8 for showing. Part of vantrix.hpp.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrix {

// The encodings a game's names may be stored in: UTF-8 and the Windows code pages of the
// systems the games were made on, each as Windows defines it.
enum class CodePage {
  utf8,
  shiftJis,         // 932
  gbk,              // 936
  uhc,              // 949
  big5,             // 950
  western,          // 1252
  centralEuropean,  // 1250
  cyrillic,         // 1251
};

// The order in which a name of unknown encoding is tried: strict UTF-8 first, since other
// bytes rarely pass for it, then the double-byte pages, then the single-byte pages, which
// accept nearly anything.
inline constexpr std::array<CodePage, 8> kCodePageTrialOrder = {
    CodePage::utf8,    CodePage::shiftJis,        CodePage::gbk,     CodePage::uhc, CodePage::big5,
    CodePage::western, CodePage::centralEuropean, CodePage::cyrillic};

// For people: "UTF-8", "932 (Japanese, Shift-JIS)", "1252 (Western European)"...
std::string_view toString(CodePage page);

// Windows' number of the page; UTF-8 is 65001.
std::uint16_t codePageNumber(CodePage page);

// Reads a page back from its number ("932", "cp932", "windows-1252"), a usual name
// ("UTF-8", "Shift_JIS", "GBK", "UHC", "Big5"; letter case does not matter) or the text of
// toString. Anything else gives nothing.
std::optional<CodePage> parseCodePage(std::string_view text);

// A save's text (a hero or face set name) as UTF-8, read in the given code page. Nothing
// when the bytes are not text of that page: a byte or byte pair it does not define.
std::optional<std::string> textToUtf8(std::string_view bytes, CodePage page);

}  // namespace vantrix
