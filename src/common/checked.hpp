#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace vantrix {

// Sizes computed from values read out of a file go through these before any allocation.
inline std::optional<std::size_t> checkedMul(std::size_t a, std::size_t b) {
  if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a) return std::nullopt;
  return a * b;
}

inline std::optional<std::size_t> checkedAdd(std::size_t a, std::size_t b) {
  if (b > std::numeric_limits<std::size_t>::max() - a) return std::nullopt;
  return a + b;
}

inline std::optional<std::size_t> checkedMul(std::optional<std::size_t> a, std::size_t b) {
  return a ? checkedMul(*a, b) : std::nullopt;
}

inline std::optional<std::size_t> checkedAdd(std::optional<std::size_t> a, std::size_t b) {
  return a ? checkedAdd(*a, b) : std::nullopt;
}

}  // namespace vantrix
