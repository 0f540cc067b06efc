#include "document/number_text.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace vantrix {
namespace {

TEST(NumberText, IntegerText) {
  EXPECT_EQ(integerText(0), "0");
  EXPECT_EQ(integerText(-7), "-7");
  EXPECT_EQ(integerText(2147483647), "2147483647");
  EXPECT_EQ(integerText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

TEST(NumberText, NumberText) {
  const std::pair<double, const char*> cases[] = {
      {1, "1"},
      {12, "12"},
      {0.5, "0.5"},
      {-3, "-3"},
      {99, "99"},
      {0.1, "0.1"},
      {1.0 / 3, "0.3333333333333333"},
      {123456789012345.0, "123456789012345"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(numberText(value), text) << value;
}

TEST(NumberText, TextToNumberOnTwoCharacters) {
  const std::pair<const char*, double> cases[] = {
      {"01", 1}, {"12", 12}, {" 7", 7}, {"7 ", 7}, {"-3", -3}, {"+3", 3}, {".5", 0.5}, {"5.", 5},
      {"7a", 7}, {"ab", 0},  {"a1", 0}, {"1d", 1}, {"&H", 0},  {"  ", 0}, {"ve", 0},   {"00", 0},
      {"-.", 0}, {"&x", 0},  {"..", 0}, {"1e", 1}, {"\t5", 5}, {"", 0},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(textToNumber(text), value) << '"' << text << '"';
  }
}

TEST(NumberText, TextToNumberLongerForms) {
  const std::pair<const char*, double> cases[] = {
      {"&H1F", 31},     {"&hff", 255}, {"&O17", 15},
      {"&b101", 5},     {"&B102", 2},  {"&H", 0},
      {"  &H10", 16},   {"1d2", 100},  {"1D+2", 100},
      {"2.5e-1", 0.25}, {"1e+", 1},    {" \t\r\n+4.25x", 4.25},
      {"1.2.3", 1.2},   {"-0", 0},     {"1e999", std::numeric_limits<double>::infinity()},
      {"1e-999", 0},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(textToNumber(text), value) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace vantrix
