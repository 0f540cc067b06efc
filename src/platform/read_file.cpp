#include "platform/platform.hpp"
#include "platform/read_into.hpp"

namespace vantrix::platform {

std::optional<Bytes> readFile(const std::string& path) {
  Bytes bytes;
  const auto done = readInto(path, UINT64_MAX, [&](std::size_t size) {
    bytes.resize(size);
    return bytes.data();
  });
  if (!done) return std::nullopt;
  bytes.resize(*done);
  return bytes;
}

std::optional<Lent> readFile(const std::string& path, std::uint64_t maxBytes, Arena& memory) {
  std::optional<Lent> lent;
  const auto done = readInto(path, maxBytes, [&](std::size_t size) {
    lent.emplace(memory.borrow(Use::file, size));
    return lent->data();
  });
  if (!done) return std::nullopt;
  lent->shrink(*done);
  return lent;
}

}  // namespace vantrix::platform
