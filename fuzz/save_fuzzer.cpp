// The save reader and the preview document writer on any bytes: the document of whatever
// the reader gives must be well-formed XML.

#include <string>

#include "document/preview_document.hpp"
#include "fuzz_target.hpp"
#include "save/save_reader.hpp"
#include "support/xml_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  const auto preview = readSave(ByteView(data, size));
  if (!preview) return 0;

  // Every face gets a bitmap line, as when each face set is found.
  const FaceBitmapSource bitmaps = [](int slot, std::string& text) {
    text.append(4 * static_cast<std::size_t>(slot), 'Q');
  };
  const std::string document = writePreviewDocument(*preview, "Save01.lsd", bitmaps, ':');
  FUZZ_CHECK(testing::xmlError(document).empty());

  // The input file name goes into a comment; the hero name serves as hostile bytes for it.
  const std::string named = writePreviewDocument(*preview, preview->heroName, nullptr, '.');
  FUZZ_CHECK(testing::xmlError(named).empty());
  return 0;
}
