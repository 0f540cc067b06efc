#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/bytes.hpp"

namespace vantrix {

class Arena;

// A buffer borrowed from an Arena, handed back when it goes.
class Lent {
 public:
  Lent(Lent&& other) noexcept : arena_(other.arena_), bytes_(std::move(other.bytes_)) {
    other.arena_ = nullptr;
  }
  Lent& operator=(Lent&&) = delete;
  ~Lent();

  std::uint8_t* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  std::span<std::uint8_t> span() { return bytes_; }
  // For a reader that sizes the buffer itself (a file read).
  Bytes& bytes() { return bytes_; }

 private:
  friend class Arena;
  Lent(Arena* arena, Bytes bytes) : arena_(arena), bytes_(std::move(bytes)) {}
  Arena* arena_;
  Bytes bytes_;
};

// The memory of one conversion, lent to its steps in turn: the face set files' bytes and the
// decoders' working room. A buffer handed back is lent again to the next step it fits, so a
// conversion's second face set is read and decoded in pages its first one touched: fresh pages,
// not computing, are much of a small conversion's cost.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // `size` bytes of unspecified content. Throws std::bad_alloc when they cannot be had.
  Lent borrow(std::size_t size);
  // An empty buffer for a reader that learns its size as it goes: the one handed back last,
  // which, as a conversion reads its files one after another, is the last file's.
  Lent borrowLast();
  // Hands the kept buffers back to the system, for what is allocated next to reuse.
  void release() { kept_.clear(); }

 private:
  friend class Lent;
  Bytes take(std::size_t size);
  void keep(Bytes bytes);
  std::vector<Bytes> kept_;
};

}  // namespace vantrix
