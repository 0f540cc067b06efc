#include "save/save_reader.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/save_builder.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {
namespace {

using testing::chunk;
using testing::doubleBytes;
using testing::number;
using testing::rawChunk;
using testing::saveFile;
using testing::sub;

ByteView view(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

SavePreview read(const std::string& file) {
  auto preview = readSave(view(file));
  EXPECT_TRUE(preview) << "the header should be valid";
  return preview.value_or(SavePreview{});
}

struct NumberCase {
  std::string bytes;
  std::int32_t value;
  std::uint64_t position;
};

TEST(SaveReader, ReadsVariableLengthNumbers) {
  const NumberCase cases[] = {
      {"\x0B", 11, 1},
      {std::string("\x81\x00", 2), 128, 2},
      {"\x81", 128, 2},  // a last byte with the top bit set takes one missing byte as 0
      {"", 0, 1},        // past the end reads 0 and still advances
      {"\x8F\xFF\xFF\xFF\x7F", -1, 5},
      {std::string("\x81\x80\x80\x80\x80\x00", 6), 0, 6},  // the set bit is shifted out
      {"\xFF\x7F", 16383, 2},
      {"\x7F\x01", 127, 1},
  };
  for (const NumberCase& c : cases) {
    SaveCursor cursor(view(c.bytes));
    EXPECT_EQ(readNumber(cursor), c.value) << "bytes of length " << c.bytes.size();
    EXPECT_EQ(cursor.position, c.position);
  }
}

TEST(SaveReader, ReadBytesCutsAtTheEndButAdvancesByTheCount) {
  std::string data = "abcdef";
  SaveCursor cursor(view(data));
  EXPECT_EQ(readBytes(cursor, 2), "ab");
  EXPECT_EQ(readBytes(cursor, 0), "");
  EXPECT_EQ(readBytes(cursor, 10), "cdef");
  EXPECT_EQ(cursor.position, 12u);
  EXPECT_EQ(readBytes(cursor, 3), "");
  EXPECT_EQ(cursor.position, 15u);
  // A length of 2^31 or more never moves the cursor back.
  EXPECT_EQ(readBytes(cursor, -5), "");
  EXPECT_EQ(cursor.position, 15u);
}

TEST(SaveReader, PayloadValues) {
  EXPECT_EQ(payloadNumber(""), 0);
  EXPECT_EQ(payloadNumber(std::string("\x81\x00", 2)), 128);
  EXPECT_EQ(payloadNumber("\x85\x03"), 643);  // the top bit is ignored, not tested
  EXPECT_EQ(payloadNumber("\x05\x03"), 643);
  EXPECT_EQ(payloadDouble(doubleBytes(40397.75)), 40397.75);
  EXPECT_EQ(payloadDouble(doubleBytes(-1.5) + "junk"), -1.5);
  EXPECT_EQ(payloadDouble("\x01\x02\x03\x04\x05\x06\x07"), 0.0);
}

TEST(SaveReader, HeaderMustBeExactlyLcfSaveData) {
  const std::pair<std::string, bool> cases[] = {
      {"", false},
      {number(11) + "LcfSaveData", true},
      {number(11) + "LcfSaveData" + "more", true},
      {number(11) + "lcfSaveData", false},
      {number(12) + "LcfSaveDataX", false},
      {number(10) + "LcfSaveDat", false},
      {number(11) + "LcfSave", false},
      {"PK\x03\x04", false},
  };
  for (const auto& [file, valid] : cases) {
    EXPECT_EQ(readSave(view(file)).has_value(), valid) << file;
    // The library's entry point decides alike.
    EXPECT_EQ(readSavePreview(view(file)).has_value(), valid) << file;
  }
}

TEST(SaveReader, WorkedExample) {
  std::string file = number(11) + "LcfSaveData" +
                     "\x64\x0E\x0B\x04"
                     "Alex"
                     "\x0C\x01\x05\x0D\x02\x81" +
                     std::string(2, '\0');
  SaveCursor cursor(view(file));
  ASSERT_TRUE(readSaveHeader(cursor));
  SavePreview preview;
  walkSave(cursor, preview);
  EXPECT_EQ(preview.heroName, "Alex");
  EXPECT_EQ(preview.heroLevel, 5);
  EXPECT_EQ(preview.heroHp, 128);
  EXPECT_EQ(cursor.position, file.size());
  EXPECT_EQ(preview.frameCount, 0);
  EXPECT_EQ(preview.money, 0);
  EXPECT_EQ(preview.timestamp, 0.0);
  for (const FaceSlot& face : preview.faces)
    EXPECT_TRUE(face.name.empty());
}

TEST(SaveReader, ReadsEveryField) {
  SavePreview p = read(saveFile({
      chunk(100, {sub(1, doubleBytes(40397.75)), sub(11, "Brian"), sub(12, number(12)),
                  sub(13, number(300)), sub(21, "Actor1"), sub(22, number(3)), sub(23, "B"),
                  sub(24, number(4)), sub(25, "C"), sub(26, number(5)), sub(27, "D"),
                  sub(28, number(15)), sub(99, "ignored")}),
      chunk(101, {sub(11, number(324000))}),
      rawChunk(102, "\x00\x64\x01"),  // stepped over whatever it holds
      chunk(109, {sub(21, number(4321))}),
  }));
  EXPECT_EQ(p.timestamp, 40397.75);
  EXPECT_EQ(p.heroName, "Brian");
  EXPECT_EQ(p.heroLevel, 12);
  EXPECT_EQ(p.heroHp, 300);
  EXPECT_EQ(p.faces[0].name, "Actor1");
  EXPECT_EQ(p.faces[0].index, 3);
  EXPECT_EQ(p.faces[1].name, "B");
  EXPECT_EQ(p.faces[1].index, 4);
  EXPECT_EQ(p.faces[2].name, "C");
  EXPECT_EQ(p.faces[2].index, 5);
  EXPECT_EQ(p.faces[3].name, "D");
  EXPECT_EQ(p.faces[3].index, 15);
  EXPECT_EQ(p.frameCount, 324000);
  EXPECT_EQ(p.money, 4321);
}

TEST(SaveReader, SameSubChunkIdMeansDifferentFieldsPerChunk) {
  SavePreview p = read(saveFile({chunk(101, {sub(11, number(77)), sub(21, "x")}),
                                 chunk(109, {sub(11, "y"), sub(21, number(9))})}));
  EXPECT_EQ(p.frameCount, 77);
  EXPECT_EQ(p.money, 9);
  EXPECT_TRUE(p.heroName.empty());
  EXPECT_TRUE(p.faces[0].name.empty());
}

TEST(SaveReader, WalkEndings) {
  const std::string level = chunk(100, {sub(12, number(7))});
  struct Case {
    const char* what;
    std::string file;
    std::int32_t level;
  };
  const Case cases[] = {
      {"header only", saveFile({}), 0},
      {"zero byte ends the walk", saveFile({std::string(1, '\0'), level}), 0},
      {"one zero byte after a chunk is consumed",
       saveFile(
           {level, rawChunk(102, "abc"), std::string(1, '\0'), chunk(100, {sub(12, number(8))})}),
       8},
      {"a second zero byte ends the walk",
       saveFile(
           {level, rawChunk(102, "abc"), std::string(2, '\0'), chunk(100, {sub(12, number(8))})}),
       7},
      {"a zero byte after a chunk's own closing zero ends the walk",
       saveFile({level, std::string(1, '\0'), chunk(100, {sub(12, number(8))})}), 7},
      {"data ends inside the payload", saveFile({level.substr(0, level.size() - 3)}), 0},
      {"huge chunk length", saveFile({number(102) + number(0xFFFFFFFF) + "abc", level}), 0},
      {"huge sub-chunk length",
       saveFile({number(100) + number(20) + number(11) + number(0x80000000) + "xyz"}), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(c.file).heroLevel, c.level) << c.what;
  }
}

TEST(SaveReader, TruncatedPayloadKeepsWhatWasRead) {
  std::string full =
      saveFile({chunk(100, {sub(11, "Hero"), sub(12, number(5)), sub(13, number(9))})});
  SavePreview p = read(full.substr(0, full.size() - 4));
  EXPECT_EQ(p.heroName, "Hero");
  EXPECT_EQ(p.heroLevel, 5);
  EXPECT_EQ(p.heroHp, 0);
}

TEST(SaveReader, LaterChunksOverwriteOnlyWhatTheyCarry) {
  SavePreview p = read(
      saveFile({chunk(100, {sub(1, doubleBytes(5.5)), sub(12, number(3)), sub(13, number(40))}),
                chunk(100, {sub(1, "abcd"), sub(13, number(41))})}));
  EXPECT_EQ(p.heroLevel, 3);
  EXPECT_EQ(p.heroHp, 41);
  EXPECT_EQ(p.timestamp, 0.0);  // a 4-byte payload is 0.0, replacing the earlier time
}

TEST(SaveReader, SubWalkStoppingEarlyResumesInsideThePayload) {
  // The zero byte inside chunk 100 ends its sub-walk; the rest of its payload is then read as
  // top-level chunks: 109 holding money 6.
  std::string inner =
      rawChunk(12, number(2)) + std::string(1, '\0') + chunk(109, {sub(21, number(6))});
  SavePreview p = read(saveFile({rawChunk(100, inner)}));
  EXPECT_EQ(p.heroLevel, 2);
  EXPECT_EQ(p.money, 6);
}

TEST(SaveReader, SubChunkReachingPastThePayloadIsReadWhole) {
  std::string payload = rawChunk(11, "Al");
  std::string file =
      saveFile({number(100) + number(2) + payload + chunk(109, {sub(21, number(3))})});
  SavePreview p = read(file);
  EXPECT_EQ(p.heroName, "Al");
  EXPECT_EQ(p.money, 3);
}

}  // namespace
}  // namespace vantrix
