#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.hpp"
#include "save/save_preview.hpp"

namespace vantrix {

// The whole save file in memory with a read position. The position only moves forward and
// may stand past the end, which every read treats as the end of the data.
struct SaveCursor {
  explicit SaveCursor(ByteView bytes) : data(bytes) {}

  bool atEnd() const { return position >= data.size(); }

  ByteView data;  // the caller keeps the bytes alive while the cursor is used
  std::uint64_t position = 0;
};

// A big-endian base-128 number; bytes past the end read as 0. Bits shifted out of the 32-bit
// value are lost.
std::int32_t readNumber(SaveCursor& cursor);

// `count` bytes from the position on (fewer when the data ends first); the position moves by
// the full count. A negative count, a length of 2^31 or more, reaches the end of the data.
std::string readBytes(SaveCursor& cursor, std::int32_t count);

// The value of a payload holding one base-128 number; the top bit of each byte is ignored.
std::int32_t payloadNumber(std::string_view payload);

// The little-endian IEEE double of a payload's first 8 bytes; 0.0 for a shorter payload.
double payloadDouble(std::string_view payload);

// Reads the header from the cursor: true when it is exactly "LcfSaveData".
bool readSaveHeader(SaveCursor& cursor);

// Walks the chunks after the header into `preview`. Never fails: what cannot be read keeps
// the value it had.
void walkSave(SaveCursor& cursor, SavePreview& preview);

// The header test and the walk over a whole file; nothing when the header is wrong. (The
// library offers it as readSavePreview.)
std::optional<SavePreview> readSave(ByteView bytes);

}  // namespace vantrix
