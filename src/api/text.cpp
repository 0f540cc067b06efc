#include <new>
#include <stdexcept>

#include "text/code_page.hpp"
#include "vantrix/text.hpp"

namespace vantrix {

std::optional<std::string> textToUtf8(std::string_view bytes, CodePage page) {
  try {
    return decodeToUtf8(bytes, page);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return std::nullopt;
}

}  // namespace vantrix
