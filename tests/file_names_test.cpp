#include "driver/file_names.hpp"

#include <gtest/gtest.h>

#include <set>

namespace vantrix {
namespace {

TEST(FileNames, DerivedOutputName) {
  struct Case {
    const char* input;
    PathStyle style;
    const char* output;
  };
  const Case cases[] = {
      {"Save01.lsd", PathStyle::posix, "Save01.xml"},
      {"Save01", PathStyle::posix, "Save01.xml"},
      {"games/My.Quest/Save01", PathStyle::posix, "games/My.Quest/Save01.xml"},
      {"games/My.Quest/Save01.lsd", PathStyle::posix, "games/My.Quest/Save01.xml"},
      {"C:\\Games\\My.Quest\\Save01", PathStyle::windows, "C:\\Games\\My.Quest\\Save01.xml"},
      {"C:/Games/My.Quest/Save01", PathStyle::windows, "C:/Games/My.Quest/Save01.xml"},
      {"a\\b.c", PathStyle::posix, "a\\b.xml"},  // "\" is a plain character on POSIX
      {"Save.", PathStyle::posix, "Save.xml"},
      {".hidden", PathStyle::posix, ".xml"},
      {"x.xml", PathStyle::posix, "x.xml.xml"},
      {"x.XML", PathStyle::posix, "x.XML.xml"},  // one file on a FAT drive
      {"x.XML", PathStyle::windows, "x.XML.xml"},
      {"dir/x.xml", PathStyle::windows, "dir/x.xml.xml"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(derivedOutputName(c.input, c.style), c.output) << c.input;
  }
}

std::set<std::string> existing;
bool exists(const std::string& name) {
  return existing.count(name) > 0;
}

TEST(FileNames, ChoosingInputAndOutput) {
  existing = {"My Save.lsd", "Save01.lsd", "a b c"};
  struct Case {
    std::vector<std::string> arguments;
    const char* input;
    const char* output;
  };
  const Case cases[] = {
      {{}, "", ""},
      {{""}, "", ""},
      {{"My", "Save.lsd"}, "My Save.lsd", "My Save.xml"},
      {{"Save01.lsd", "out.xml"}, "Save01.lsd", "out.xml"},
      {{"Save01.lsd", "out.xml", "ignored"}, "Save01.lsd", "out.xml"},
      {{"a", "b", "c"}, "a b c", "a b c.xml"},  // joined names win over the second argument
      {{"missing.lsd"}, "missing.lsd", "missing.xml"},
      {{"Save01.lsd", ""}, "Save01.lsd", "Save01.xml"},
      {{"", "out.xml"}, "", "out.xml"},
  };
  for (const Case& c : cases) {
    FileNames names = chooseFileNames(c.arguments, exists, PathStyle::posix);
    EXPECT_EQ(names.input, c.input);
    EXPECT_EQ(names.output, c.output);
  }
}

}  // namespace
}  // namespace vantrix
