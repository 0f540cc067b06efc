#pragma once

// What each side of the platform module gives the portable file reading in read_file.cpp.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantrix::platform {

// Where a file's bytes go: storage for `size` bytes.
using Room = std::function<std::uint8_t*(std::size_t size)>;

// Reads the file into the storage `room(size)` gives for its size, and returns how many bytes
// it read (fewer when the file shrank meanwhile), or nothing when readFile gives nothing. A
// file larger than maxBytes gives nothing, decided before room is asked for.
std::optional<std::size_t> readInto(const std::string& path, std::uint64_t maxBytes,
                                    const Room& room);

}  // namespace vantrix::platform
