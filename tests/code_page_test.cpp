#include "text/code_page.hpp"
#include "text/letter_case.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "vantrix/text.hpp"

namespace vantrix {
namespace {

struct DecodeRow {
  CodePage page;
  std::string bytes;
  std::optional<std::u16string> text;  // nothing: the bytes are refused
};

// Characters from the published tables of each page, not from our generator.
TEST(CodePage, DecodesStrictlyEachRowOfTheTable) {
  const auto no = std::nullopt;
  const std::vector<DecodeRow> rows = {
      {CodePage::utf8, "", u""},
      {CodePage::utf8, "Alex\xE9\xA1\x94", u"Alex顔"},
      {CodePage::utf8, "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", u"\U0001F600\U0010FFFF"},
      {CodePage::utf8, "\xED\x9F\xBF", u"\uD7FF"},
      {CodePage::utf8, "\xC0\xAF", no},          // overlong "/"
      {CodePage::utf8, "\xE0\x9F\xBF", no},      // overlong U+07FF
      {CodePage::utf8, "\xF0\x8F\xBF\xBF", no},  // overlong U+FFFF
      {CodePage::utf8, "\xED\xA0\x80", no},      // surrogate
      {CodePage::utf8, "\xF4\x90\x80\x80", no},  // above U+10FFFF
      {CodePage::utf8, "\xE9\xA1", no},          // cut short
      {CodePage::utf8, "\xE9\xA1\x41", no},      // "A" is no continuation byte
      {CodePage::utf8, "\x80", no},
      {CodePage::shiftJis, "\x8A\xE7\x8A\x47\x8E\xE5\x96\xF0", u"顔絵主役"},
      {CodePage::shiftJis, "\x83\x5C\x95\x5C\x5C", u"ソ表\\"},  // 0x5C trails are not "\"
      {CodePage::shiftJis, "\xB1\xDF", u"ｱﾟ"},
      {CodePage::shiftJis, "\x81\x60\x87\x40\xFA\x40", u"～①ⅰ"},  // Microsoft's own rows
      {CodePage::shiftJis, "\x82\xA0\x8A", no},                   // lead byte at the end
      {CodePage::shiftJis, "\x82\x20", no},
      {CodePage::shiftJis, "\x81\x7F", no},
      {CodePage::shiftJis, "\x81\xAD", no},  // no character there
      {CodePage::shiftJis, "\x85\x40", no},  // unassigned lead byte
      {CodePage::gbk, "\xD6\xD0\xCE\xC4\x81\x40", u"中文丂"},
      {CodePage::gbk, "\x80", u"€"},
      {CodePage::gbk, "\xD6", no},
      {CodePage::gbk, "\x81\x7F", no},
      {CodePage::gbk, "\xFF", no},
      {CodePage::uhc, "\xC7\xD1\xB1\xDB", u"한글"},
      {CodePage::uhc, "\x8C\x63\x81\x41\xA2\xE6", u"똠갂€"},  // first two not in KS X 1001
      {CodePage::uhc, "\xC7", no},
      {CodePage::uhc, "\x81\x5B", no},
      {CodePage::big5, "\xA4\xA4\xA4\xE5\xB3\x5C\xA3\xE1", u"中文許€"},
      {CodePage::big5, "\xA4", no},
      {CodePage::big5, "\xA4\x7F", no},
      {CodePage::big5, "\x80", no},
      {CodePage::western, "caf\xE9\x80\x9F", u"café€Ÿ"},
      {CodePage::western, "\x81", no},
      {CodePage::western, "\x9D", no},
      {CodePage::centralEuropean, "\x8A\xA5\xF8", u"ŠĄř"},
      {CodePage::centralEuropean, "\x83", no},
      {CodePage::cyrillic, "\xC0\xFF\x88", u"Ая€"},
      {CodePage::cyrillic, "\x98", no},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DecodeRow& row = rows[i];
    EXPECT_EQ(decodeToUtf16(row.bytes, row.page), row.text) << "row " << i;
    const auto utf8 = row.text ? encodeUtf16ToUtf8(*row.text) : std::nullopt;
    EXPECT_EQ(decodeToUtf8(row.bytes, row.page), utf8) << "row " << i;
    EXPECT_EQ(textToUtf8(row.bytes, row.page), utf8) << "row " << i;  // the library's form
  }
}

TEST(CodePage, EncodesUtf16AndRefusesUnpairedSurrogates) {
  const std::vector<std::pair<std::u16string, std::optional<std::string>>> rows = {
      {u"", ""},
      {u"A\u00E9\u9854", "A\xC3\xA9\xE9\xA1\x94"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\xD83D", std::nullopt},
      {u"\xDE00\xD83D", std::nullopt},
      {u"\xD83D\x0041", std::nullopt},
  };
  for (const auto& [units, utf8] : rows) {
    EXPECT_EQ(encodeUtf16ToUtf8(units), utf8) << (utf8 ? *utf8 : "refused");
  }
}

TEST(CodePage, NamesAndNumbersReadBack) {
  const std::vector<std::tuple<CodePage, std::uint16_t, std::string>> rows = {
      {CodePage::utf8, 65001, "utf8"},
      {CodePage::shiftJis, 932, "Shift_JIS"},
      {CodePage::gbk, 936, "gbk"},
      {CodePage::uhc, 949, "UHC"},
      {CodePage::big5, 950, "BIG5"},
      {CodePage::western, 1252, "windows-1252"},
      {CodePage::centralEuropean, 1250, "CP1250"},
      {CodePage::cyrillic, 1251, "Windows-1251"},
  };
  for (const auto& [page, number, alias] : rows) {
    EXPECT_EQ(codePageNumber(page), number);
    EXPECT_EQ(parseCodePage(std::to_string(number)), page) << number;
    EXPECT_EQ(parseCodePage(toString(page)), page) << number;
    EXPECT_EQ(parseCodePage(alias), page) << alias;
  }
  for (std::string_view text : {"", "437", "cp", "9320", "932 ", "-932", "shift jis", "utf-16"}) {
    EXPECT_EQ(parseCodePage(text), std::nullopt) << text;
  }
  std::vector<std::uint16_t> order;
  for (CodePage page : kCodePageTrialOrder)
    order.push_back(codePageNumber(page));
  EXPECT_EQ(order, (std::vector<std::uint16_t>{65001, 932, 936, 949, 950, 1252, 1250, 1251}));
}

// File names compared as Windows compares them, letter by letter through their capitals.
TEST(LetterCase, NamesMatchIgnoringCaseAsWindowsMatchesThem) {
  const std::tuple<std::string_view, std::string_view, bool> cases[] = {
      {"Hero", "hERO", true},
      {"Héros", "HÉROS", true},            // Latin-1
      {"Герой", "ГЕРОЙ", true},            // Cyrillic
      {"σίσυφος", "ΣΊΣΥΦΟΣ", true},        // Greek, final sigma too
      {"ａｃｔｏｒ", "ＡＣＴＯＲ", true},  // full width
      {"ǆ", "Ǆ", true},
      {"straße", "STRASSE", false},  // a capital of two letters is no capital here
      {"ı", "I", false},             // nor is an ASCII capital of another letter
      {"Héros", "Heros", false},
      {"\xE9", "\xC9", false},  // bytes that are no UTF-8 match only in ASCII case
      {"\x83\x5Cx", "\x83\x5CX", true},
  };
  for (const auto& [a, b, same] : cases) {
    const CaseKey keyA{std::string(a)};
    const CaseKey keyB{std::string(b)};
    EXPECT_EQ(sameNameIgnoringCase(keyA, keyB), same) << a << " " << b;
    EXPECT_EQ(sameNameIgnoringCase(keyB, keyA), same) << b << " " << a;
  }
}

}  // namespace
}  // namespace vantrix
