#include "save/save_reader.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrix {
namespace {

constexpr std::string_view kSaveHeader = "LcfSaveData";

// Where each value of the preview lives: a top-level chunk id, a sub-chunk id inside it, and
// how its payload is stored. Any other chunk or sub-chunk is stepped over.
struct FieldRule {
  std::int32_t chunk;
  std::int32_t subChunk;
  void (*store)(SavePreview& preview, std::string_view payload);
};

template <int slot>
constexpr FieldRule faceName(std::int32_t subChunk) {
  return {100, subChunk, [](SavePreview& p, std::string_view v) { p.faces[slot].name = v; }};
}
template <int slot>
constexpr FieldRule faceIndex(std::int32_t subChunk) {
  return {100, subChunk,
          [](SavePreview& p, std::string_view v) { p.faces[slot].index = payloadNumber(v); }};
}

constexpr std::array kFieldRules = {
    FieldRule{100, 1, [](SavePreview& p, std::string_view v) { p.timestamp = payloadDouble(v); }},
    FieldRule{100, 11, [](SavePreview& p, std::string_view v) { p.heroName = v; }},
    FieldRule{100, 12, [](SavePreview& p, std::string_view v) { p.heroLevel = payloadNumber(v); }},
    FieldRule{100, 13, [](SavePreview& p, std::string_view v) { p.heroHp = payloadNumber(v); }},
    faceName<0>(21),
    faceIndex<0>(22),
    faceName<1>(23),
    faceIndex<1>(24),
    faceName<2>(25),
    faceIndex<2>(26),
    faceName<3>(27),
    faceIndex<3>(28),
    FieldRule{101, 11, [](SavePreview& p, std::string_view v) { p.frameCount = payloadNumber(v); }},
    FieldRule{109, 21, [](SavePreview& p, std::string_view v) { p.money = payloadNumber(v); }},
};

constexpr bool hasSubChunks(std::int32_t chunk) {
  for (const FieldRule& rule : kFieldRules) {
    if (rule.chunk == chunk) return true;
  }
  return false;
}

bool zeroByteAt(const SaveCursor& cursor) {
  return !cursor.atEnd() && cursor.data[static_cast<std::size_t>(cursor.position)] == 0;
}

// The position after stepping `length` bytes from `from`. Lengths of 2^31 and more read as
// negative numbers; they reach the end of the data, so the position never moves back.
std::uint64_t stepped(const SaveCursor& cursor, std::uint64_t from, std::int32_t length) {
  if (length < 0) return std::max<std::uint64_t>(from, cursor.data.size());
  return from + static_cast<std::uint32_t>(length);
}

void walkSubChunks(SaveCursor& cursor, std::int32_t chunk, std::uint64_t payloadEnd,
                   SavePreview& preview) {
  while (!cursor.atEnd() && cursor.position < payloadEnd && !zeroByteAt(cursor)) {
    std::int32_t id = readNumber(cursor);
    std::int32_t length = readNumber(cursor);
    std::string payload = readBytes(cursor, length);
    for (const FieldRule& rule : kFieldRules) {
      if (rule.chunk == chunk && rule.subChunk == id) rule.store(preview, payload);
    }
  }
}

}  // namespace

std::int32_t readNumber(SaveCursor& cursor) {
  std::uint32_t value = 0;
  for (;;) {
    std::uint8_t byte = cursor.atEnd() ? 0 : cursor.data[static_cast<std::size_t>(cursor.position)];
    value = (value << 7) | (byte & 0x7Fu);
    ++cursor.position;
    if ((byte & 0x80) == 0 || cursor.position > cursor.data.size()) break;
  }
  return static_cast<std::int32_t>(value);
}

std::string readBytes(SaveCursor& cursor, std::int32_t count) {
  std::string bytes;
  if (cursor.position < cursor.data.size() && count > 0) {
    std::uint64_t available = cursor.data.size() - cursor.position;
    std::uint64_t taken = std::min<std::uint64_t>(available, static_cast<std::uint32_t>(count));
    const auto* start = reinterpret_cast<const char*>(cursor.data.data() + cursor.position);
    bytes.assign(start, static_cast<std::size_t>(taken));
  }
  cursor.position = stepped(cursor, cursor.position, count);
  return bytes;
}

std::int32_t payloadNumber(std::string_view payload) {
  std::uint32_t value = 0;
  for (char c : payload)
    value = (value << 7) | (static_cast<std::uint8_t>(c) & 0x7Fu);
  return static_cast<std::int32_t>(value);
}

double payloadDouble(std::string_view payload) {
  if (payload.size() < 8) return 0.0;
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) {
    bits = (bits << 8) | static_cast<std::uint8_t>(payload[static_cast<std::size_t>(i)]);
  }
  double value;
  std::memcpy(&value, &bits, sizeof value);  // std::bit_cast, which older libc++ lacks
  return value;
}

bool readSaveHeader(SaveCursor& cursor) {
  std::int32_t length = readNumber(cursor);
  return readBytes(cursor, length) == kSaveHeader;
}

void walkSave(SaveCursor& cursor, SavePreview& preview) {
  while (!cursor.atEnd() && !zeroByteAt(cursor)) {
    std::int32_t id = readNumber(cursor);
    std::int32_t length = readNumber(cursor);
    std::uint64_t payloadEnd = stepped(cursor, cursor.position, length);
    if (hasSubChunks(id)) {
      // The walk goes on from where the sub-walk stopped, not from the chunk's declared end.
      walkSubChunks(cursor, id, payloadEnd, preview);
    } else {
      cursor.position = payloadEnd;
    }
    if (zeroByteAt(cursor)) ++cursor.position;
  }
}

std::optional<SavePreview> readSave(ByteView bytes) {
  SaveCursor cursor(bytes);
  if (!readSaveHeader(cursor)) return std::nullopt;
  SavePreview preview;
  walkSave(cursor, preview);
  return preview;
}

}  // namespace vantrix
