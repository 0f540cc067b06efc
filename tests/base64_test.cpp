#include "base64/base64.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "vantrix/codecs.hpp"

namespace vantrix {
namespace {

Bytes bytesOf(std::initializer_list<int> values) {
  Bytes bytes;
  for (int v : values)
    bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
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
  std::optional<Bytes> bytes;  // nothing: refused
};

TEST(Base64, DecodesStrictly) {
  const std::vector<DecodeRow> rows = {
      {"", Bytes{}},
      {"QUJD", bytesOf({0x41, 0x42, 0x43})},
      {"QUI=", bytesOf({0x41, 0x42})},
      {"QQ==", bytesOf({0x41})},
      {"////", bytesOf({0xFF, 0xFF, 0xFF})},
      {"+/8=", bytesOf({0xFB, 0xFF})},
      {"AAAA", bytesOf({0, 0, 0})},
      {"AAABAP8=", bytesOf({0, 0, 1, 0, 0xFF})},
      // Line ends are skipped wherever they stand, even inside the padding.
      {"QUJD\r\nREVG\n", bytesOf({0x41, 0x42, 0x43, 0x44, 0x45, 0x46})},
      {"Q\rQ=\n=", bytesOf({0x41})},
      // A wrong length, padding out of place, and any other character are refused.
      {"QQ", std::nullopt},
      {"QUJDR", std::nullopt},
      {"Q===", std::nullopt},
      {"QQ=A", std::nullopt},
      {"QQ==QUJD", std::nullopt},
      {"QUI==", std::nullopt},
      {"QU D", std::nullopt},
      {"QU\tD", std::nullopt},
      {std::string("QU\xFF"
                   "D",
                   4),
       std::nullopt},
      {std::string("QU\0D", 4), std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(decodeBase64(row.text), row.bytes) << row.text;
  }
}

TEST(Base64, RoundTripsAnyBytes) {
  for (std::size_t length : {1u, 2u, 3u, 4u, 5u, 57u, 58u, 200u, 3382u}) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
      bytes[i] = static_cast<std::uint8_t>(i * 7 % 256);
    const std::string text = encodeBase64(bytes);
    EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(decodeBase64(text), bytes) << length;
    std::string lines;
    for (std::size_t at = 0; at < text.size(); at += 76)
      lines += text.substr(at, 76) + "\r\n";
    EXPECT_EQ(decodeBase64(lines), bytes) << length << " in lines";
  }
}

}  // namespace
}  // namespace vantrix
