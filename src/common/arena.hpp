#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/bytes.hpp"

namespace vantrix {

class Arena;

// What a conversion borrows memory for. A buffer handed back is lent again for the same use.
enum class Use {
  file,     // a face set file's bytes
  window,   // the inflater's window
  rows,     // a decoder's rows being restored
  picture,  // the rows a decoder draws into
};

// A buffer borrowed from an Arena, handed back when it goes.
class Lent {
 public:
  Lent(Lent&& other) noexcept
      : arena_(other.arena_), use_(other.use_), bytes_(std::move(other.bytes_)) {
    other.arena_ = nullptr;
  }
  Lent& operator=(Lent&&) = delete;
  ~Lent();

  std::uint8_t* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  std::span<std::uint8_t> span() { return bytes_; }
  // Fewer bytes than were borrowed, for a reader that ends up with less (a file that shrank).
  void shrink(std::size_t size) { bytes_.resize(size); }

 private:
  friend class Arena;
  Lent(Arena* arena, Use use, Buffer bytes) : arena_(arena), use_(use), bytes_(std::move(bytes)) {}
  Arena* arena_;
  Use use_;
  Buffer bytes_;
};

// The memory of one conversion, lent to its steps in turn: the face set files' bytes and the
// decoders' working room. A buffer handed back is lent again for the same use, so a
// conversion's second face set is read and decoded in pages its first one touched: fresh
// pages, not computing, are much of a small conversion's cost.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // `size` bytes of unspecified content. Throws std::bad_alloc when they cannot be had.
  Lent borrow(Use use, std::size_t size);
  // Hands the kept buffers back to the system, for what is allocated next to reuse.
  void release() { kept_ = {}; }

 private:
  friend class Lent;
  void keep(Use use, Buffer bytes);
  std::array<Buffer, 4> kept_;
};

}  // namespace vantrix
