#include "common/arena.hpp"

#include <algorithm>

namespace vantrix {
namespace {

// A real face set's file and working room take a few hundred KiB at most; larger buffers,
// only a hostile game's, go back to the system at once, so that two of them never add up.
constexpr std::size_t kMostKept = std::size_t{2} << 20;

}  // namespace

Lent::~Lent() {
  if (arena_) arena_->keep(std::move(bytes_));
}

Bytes Arena::take(std::size_t size) {
  // Of the kept buffers with room the smallest, else the largest.
  auto roomy = [size](const Bytes& b) { return b.capacity() >= size; };
  auto better = [&](const Bytes& a, const Bytes& b) {
    if (roomy(a) != roomy(b)) return roomy(a);
    return roomy(a) ? a.capacity() < b.capacity() : a.capacity() > b.capacity();
  };
  Bytes bytes;
  if (const auto best = std::min_element(kept_.begin(), kept_.end(), better); best != kept_.end()) {
    bytes = std::move(*best);
    kept_.erase(best);
  }
  return bytes;
}

Lent Arena::borrow(std::size_t size) {
  Bytes bytes = take(size);
  bytes.resize(size);
  return Lent(this, std::move(bytes));
}

Lent Arena::borrowLast() {
  Bytes bytes;
  if (!kept_.empty()) {
    bytes = std::move(kept_.back());
    kept_.pop_back();
  }
  bytes.clear();
  return Lent(this, std::move(bytes));
}

void Arena::keep(Bytes bytes) {
  if (bytes.capacity() > 0 && bytes.capacity() <= kMostKept) kept_.push_back(std::move(bytes));
}

}  // namespace vantrix
