#include "document/preview_document.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "document/value_text.hpp"
#include "support/xml_check.hpp"

namespace vantrix {
namespace {

std::string document(const SavePreview& preview, const std::string& input = "Save01.lsd",
                     const FaceBitmapSource& faces = nullptr) {
  return writePreviewDocument(preview, input, faces, ':');
}

TEST(PreviewDocument, SaveWithoutHeroChunk) {
  EXPECT_EQ(document(SavePreview{}, "C:\\Game\\Save01.lsd"),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!-- Created using VANTRIX v1.00 by Ombrel -->\r\n"
            "<!-- Input file: C:\\Game\\Save01.lsd -->\r\n"
            "\r\n"
            "<savegame id=\"1\">\r\n"
            "    <timestamp>1899-12-30-00:00:00</timestamp>\r\n"
            "    <playingtime>000:00:00</playingtime>\r\n"
            "    <money>0</money>\r\n"
            "</savegame>\r\n");
}

TEST(PreviewDocument, FullDocument) {
  SavePreview p;
  p.timestamp = 40397.75;
  p.heroName = "Alex";
  p.heroLevel = 12;
  p.heroHp = 345;
  p.faces[0] = {"Actor1", 0};
  p.faces[3] = {"Monster", 15};
  p.frameCount = 324000;
  p.money = -50;
  std::vector<int> asked;
  auto faces = [&](int slot, std::string& text) {
    asked.push_back(slot);
    if (slot == 1) text += "Qk0=";
  };
  EXPECT_EQ(document(p, "Save15.lsd", faces),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!-- Created using VANTRIX v1.00 by Ombrel -->\r\n"
            "<!-- Input file: Save15.lsd -->\r\n"
            "\r\n"
            "<savegame id=\"15\">\r\n"
            "    <timestamp>2010-08-07-18:00:00</timestamp>\r\n"
            "    <hero>\r\n"
            "        <name>Alex</name>\r\n"
            "        <level>12</level>\r\n"
            "        <hp>345</hp>\r\n"
            "    </hero>\r\n"
            "    <face>\r\n"
            "        <filename>Actor1</filename>\r\n"
            "        <id>1</id>\r\n"
            "        <bitmap>\r\n"
            "Qk0=\r\n"
            "        </bitmap>\r\n"
            "    </face>\r\n"
            "    <face>\r\n"
            "        <filename>Monster</filename>\r\n"
            "        <id>16</id>\r\n"
            "    </face>\r\n"
            "    <playingtime>001:30:00</playingtime>\r\n"
            "    <money>-50</money>\r\n"
            "</savegame>\r\n");
  EXPECT_EQ(asked, (std::vector<int>{1, 4}));
}

TEST(PreviewDocument, HeroBlockNeedsALevelOfOneOrMore) {
  SavePreview p;
  p.heroName = "Ghost";
  p.heroHp = 10;
  for (std::int32_t level : {0, -1}) {
    p.heroLevel = level;
    EXPECT_EQ(document(p).find("<hero>"), std::string::npos) << level;
  }
  p.heroLevel = 1;
  EXPECT_NE(document(p).find("        <name>Ghost</name>\r\n"), std::string::npos);
}

TEST(PreviewDocument, FaceIds) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "<id>1</id>"},
      {15, "<id>16</id>"},
      {-1, "<id>0</id>"},
      {2147483647, "<id>-2147483648</id>"},
  };
  for (const auto& [index, line] : cases) {
    SavePreview p;
    p.faces[2] = {"F", index};
    std::vector<int> asked;
    std::string doc =
        document(p, "Save01.lsd", [&](int slot, std::string&) { asked.push_back(slot); });
    EXPECT_NE(doc.find(line), std::string::npos) << index;
    EXPECT_EQ(asked, std::vector<int>{3});
    EXPECT_EQ(doc.find("bitmap"), std::string::npos);
  }
}

TEST(PreviewDocument, SlotIdAttribute) {
  const std::pair<const char*, const char*> cases[] = {
      {"Save01.lsd", "1"}, {"Save15.lsd", "15"}, {"Save00.lsd", ""}, {"save.lsd", ""},
      {"a.lsd", ""},       {"Saver.lsd", ""},    {"x-3.lsd", "-3"},  {"S 7.lsd", "7"},
      {"S.5.lsd", ""},     {"a1.lsd", ""},       {".lsd", ""},       {"12345", ""},
      {"123456", "12"},    {"Save.5x.lsd", "5"}, {"&H1F.lsd", "1"},  {"S.7.lsd", "0.7"},
      {"x256.lsd", "56"},  {"S-0.lsd", ""},      {"Save3.lsd", ""},
  };
  for (const auto& [input, id] : cases)
    EXPECT_EQ(saveSlotId(input), id) << input;
  EXPECT_NE(document(SavePreview{}, "Save00.lsd").find("\r\n<savegame>\r\n"), std::string::npos);
}

TEST(PreviewDocument, PlayingTime) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "000:00:00"},
      {29, "000:00:00"},
      {30, "000:00:00"},
      {90, "000:00:02"},
      {150, "000:00:02"},
      {3540, "000:00:59"},
      {215999, "001:00:00"},
      {324000, "001:30:00"},
      {215940, "000:59:59"},
      {5403660, "025:01:01"},
      {21600000, "100:00:00"},
      {2147483647, "9942:03:14"},
      // Negative counts: the hours carry the sign, minutes and seconds are the time of day
      // of a negative date serial.
      {-31, "000:00:01"},
      {-90, "000:00:02"},
      {-216000, "-001:00:00"},
      {-5184000, "-024:00:00"},
      {-5184060, "-024:59:59"},
      {-2147483647 - 1, "-9942:56:46"},
  };
  for (const auto& [frames, text] : cases) {
    SavePreview p;
    p.frameCount = frames;
    EXPECT_NE(document(p).find(std::string("<playingtime>") + text + "</playingtime>"),
              std::string::npos)
        << frames;
  }
  SavePreview p;
  p.frameCount = 324000;
  EXPECT_NE(writePreviewDocument(p, "Save01.lsd", nullptr, '.').find("001.30.00"),
            std::string::npos);
  // A separator XML gives a meaning to is escaped, in the playing time and the save time.
  const std::string doc = writePreviewDocument(p, "Save01.lsd", nullptr, '<');
  EXPECT_NE(doc.find("<playingtime>001&lt;30&lt;00</playingtime>"), std::string::npos) << doc;
  EXPECT_NE(doc.find("<timestamp>1899-12-30-00&lt;00&lt;00</timestamp>"), std::string::npos);
}

TEST(PreviewDocument, NamesAreEscapedAndTheDocumentStaysWellFormed) {
  SavePreview p;
  p.heroLevel = 3;
  p.heroName = "A&B <i>\t\n\r\x01\x1F\xE9\x7F";
  p.faces[0] = {"</face><face>", 0};
  const std::string input = "My--Save---01-.lsd\x02";
  std::string doc = document(p, input);
  EXPECT_NE(doc.find("<name>A&amp;B &lt;i&gt;&#9;&#10;&#13;??\xE9\x7F</name>"), std::string::npos);
  EXPECT_NE(doc.find("<filename>&lt;/face&gt;&lt;face&gt;</filename>"), std::string::npos);
  EXPECT_NE(doc.find("<!-- Input file: My- -Save- - -01-.lsd? -->"), std::string::npos);
  EXPECT_EQ(testing::xmlError(doc), "");
}

TEST(PreviewDocument, EveryByteInEveryNameGivesWellFormedXml) {
  for (int b = 0; b < 256; ++b) {
    SavePreview p;
    p.heroLevel = 1;
    std::string name = "x";
    name += static_cast<char>(b);
    name += '-';
    p.heroName = name;
    p.faces[1] = {name, 0};
    EXPECT_EQ(testing::xmlError(document(p, name + name)), "") << "byte " << b;
  }
}

}  // namespace
}  // namespace vantrix
