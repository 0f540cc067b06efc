#include "common/arena.hpp"

namespace vantrix {
namespace {

// A real face set's file and working room take a few hundred KiB at most; larger buffers,
// only a hostile game's, go back to the system at once, so that two of them never add up.
constexpr std::size_t kMostKept = std::size_t{2} << 20;

}  // namespace

Lent::~Lent() {
  if (arena_) arena_->keep(use_, std::move(bytes_));
}

Lent Arena::borrow(Use use, std::size_t size) {
  Buffer bytes = std::move(kept_[static_cast<std::size_t>(use)]);
  if (bytes.capacity() < size) {
    // Too small: its storage goes back first, for the allocator to lend again, and the new
    // one is exactly as large (growing by resize() would double it).
    bytes = Buffer();
    bytes.reserve(size);
  }
  bytes.resize(size);
  return Lent(this, use, std::move(bytes));
}

void Arena::keep(Use use, Buffer bytes) {
  Buffer& kept = kept_[static_cast<std::size_t>(use)];
  if (bytes.capacity() <= kMostKept && bytes.capacity() > kept.capacity()) kept = std::move(bytes);
}

}  // namespace vantrix
