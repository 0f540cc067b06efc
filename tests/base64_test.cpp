#include "base64/base64.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrix {
namespace {

Bytes bytesOf(std::initializer_list<int> values) {
  Bytes bytes;
  for (int v : values)
    bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

std::string textOf(const Bytes& bytes) {
  return {bytes.begin(), bytes.end()};
}

// The 48 bytes whose Base64 text is the alphabet in order.
const Bytes kAlphabetBytes =
    bytesOf({0x00, 0x10, 0x83, 0x10, 0x51, 0x87, 0x20, 0x92, 0x8B, 0x30, 0xD3, 0x8F,
             0x41, 0x14, 0x93, 0x51, 0x55, 0x97, 0x61, 0x96, 0x9B, 0x71, 0xD7, 0x9F,
             0x82, 0x18, 0xA3, 0x92, 0x59, 0xA7, 0xA2, 0x9A, 0xAB, 0xB2, 0xDB, 0xAF,
             0xC3, 0x1C, 0xB3, 0xD3, 0x5D, 0xB7, 0xE3, 0x9E, 0xBB, 0xF3, 0xDF, 0xBF});

Bytes withTail(Bytes bytes, std::initializer_list<int> tail) {
  for (int v : tail)
    bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

struct EncodeRow {
  Bytes input;
  std::string text;
};

TEST(Base64, EncodesEachRowOfTheTable) {
  const std::vector<EncodeRow> rows = {
      {{}, ""},
      {bytesOf({0x41}), "QQ=="},
      {bytesOf({0x41, 0x42}), "QUI="},
      {bytesOf({0x41, 0x42, 0x43}), "QUJD"},
      {bytesOf({0x00}), "AA=="},
      {bytesOf({0xFB, 0xFF}), "+/8="},
      {bytesOf({0xFF, 0xFF, 0xFF}), "////"},
      {bytesOf({0x00, 0x00, 0x00, 0x00}), "AAAAAA=="},
      // Every character, in steps of twelve bytes and without and with a padded tail.
      {kAlphabetBytes, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"},
      {withTail(kAlphabetBytes, {0xFE, 0x01}),
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+//gE="},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(encodeBase64(row.input), row.text) << row.text;
    // Appended in place, as a document takes a face, the text before stays as it was.
    std::string document = "<bitmap>";
    appendBase64(document, row.input);
    EXPECT_EQ(document, "<bitmap>" + row.text);
  }
}

struct DecodeRow {
  std::string text;
  Bytes bytes;
};

TEST(Base64, DecodesLenientlyAndStopsAtTheFirstZeroByte) {
  const std::vector<DecodeRow> rows = {
      {"", {}},
      {"QUJD", bytesOf({0x41, 0x42, 0x43})},
      {"QUI=", bytesOf({0x41, 0x42})},
      {"QQ==", bytesOf({0x41})},
      {"QQ", bytesOf({0x41})},
      {"////", bytesOf({0xFF, 0xFF, 0xFF})},
      {"+/8=", bytesOf({0xFB, 0xFF})},
      {"AAAA", {}},
      // The line end counts as two "A", so the next decoded byte is zero.
      {"QUJD\r\nREVG", bytesOf({0x41, 0x42, 0x43})},
      // Bytes outside the alphabet decode like "A" rather than being skipped.
      {"QU D", bytesOf({0x41, 0x40, 0x03})},
      {std::string("QU\xFF"
                   "D",
                   4),
       bytesOf({0x41, 0x40, 0x03})},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(decodeBase64(row.text), textOf(row.bytes)) << row.text;
  }
}

TEST(Base64, LineRoutines) {
  EXPECT_EQ(wrapLines("ABCDEFG", 3), "ABC\r\nDEF\r\nG\r\n");
  EXPECT_EQ(wrapLines("ABCDEF", 3), "ABC\r\nDEF\r\n");
  EXPECT_EQ(wrapLines("", 3), "");
  EXPECT_EQ(wrapLines("ABCDEFG", 0), "ABCDEFG");
  EXPECT_EQ(wrapLines("AB", 76), "AB\r\n");
  EXPECT_EQ(removeLineBreaks("A\r\nB\nC\r"), "AB\nC\r");
  EXPECT_EQ(removeLineBreaks("A\r\r\nB\n\r\nC"), "A\rB\nC");
  EXPECT_EQ(removeLineBreaks("QUJD\r\nREVG"), "QUJDREVG");
  EXPECT_EQ(decodeBase64(removeLineBreaks("QUJD\r\nREVG")), "ABCDEF");
  EXPECT_EQ(removeLineBreaks("no breaks"), "no breaks");
}

TEST(Base64, RoundTripsBytesWithoutZeroThroughWrappedLines) {
  for (std::size_t length : {1u, 2u, 3u, 4u, 5u, 57u, 58u, 200u, 3382u}) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
      bytes[i] = static_cast<std::uint8_t>(1 + i * 7 % 255);
    const std::string text = encodeBase64(bytes);
    EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(decodeBase64(text), textOf(bytes)) << length;
    for (std::uint32_t width : {1u, 4u, 76u}) {
      EXPECT_EQ(decodeBase64(removeLineBreaks(wrapLines(text, width))), textOf(bytes))
          << length << " " << width;
    }
  }
}

}  // namespace
}  // namespace vantrix
