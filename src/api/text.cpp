#include "vantrix/text.hpp"
#include "api/guard.hpp"
#include "text/code_page.hpp"

namespace vantrix {

std::optional<std::string> textToUtf8(std::string_view bytes, CodePage page) {
  return guarded(std::optional<std::string>(), [&] { return decodeToUtf8(bytes, page); });
}

}  // namespace vantrix
