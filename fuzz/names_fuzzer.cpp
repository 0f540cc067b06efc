// The face set lookup with names in a game's code page. The first byte picks a code page (and
// whether the file's name is in capitals), the rest is a face set name from a save. Where that
// page reads the name as a plain file name, a face set of that name is put in a private game
// folder's FaceSet folder: the lookup must then find it (by the name's own bytes, or by a page
// tried no later than the chosen one), and must find nothing where no face set was put. Every
// page's reading is checked on the way.

#include <algorithm>
#include <filesystem>
#include <string>

#include "faces/face_set_lookup.hpp"
#include "fuzz_target.hpp"
#include "platform/platform.hpp"
#include "support/bytes_io.hpp"
#include "text/code_page.hpp"
#include "text/letter_case.hpp"

namespace {

namespace fs = std::filesystem;

const fs::path& gameFolder() {
  static const fs::path folder = [] {
    const fs::path made = vantrix::fuzz::privateFolder("vantrix-names");
    fs::create_directories(made / "FaceSet");
    // A face set a save must never reach, beside the game.
    vantrix::testing::writeFile((made / "Decoy.png").string(), {});
    return made;
  }();
  return folder;
}

bool isUtf8(const std::string& text) {
  return vantrix::decodeToUtf8(text, vantrix::CodePage::utf8).has_value();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  if (size == 0 || size > 200) return 0;
  const auto chosen = static_cast<std::size_t>(data[0] % kCodePageTrialOrder.size());
  const std::string name(reinterpret_cast<const char*>(data + 1), size - 1);

  for (const CodePage page : kCodePageTrialOrder) {
    const auto utf8 = decodeToUtf8(name, page);
    const auto utf16 = decodeToUtf16(name, page);
    FUZZ_CHECK(utf8.has_value() == utf16.has_value());
    if (!utf8) continue;
    FUZZ_CHECK(isUtf8(*utf8));
    FUZZ_CHECK(encodeUtf16ToUtf8(*utf16) == utf8);
    if (page == CodePage::utf8) FUZZ_CHECK(*utf8 == name);
  }

  const fs::path faceSets = gameFolder() / "FaceSet";
  for (const auto& entry : fs::directory_iterator(faceSets))
    fs::remove(entry.path());
  auto reading = decodeToUtf8(name, kCodePageTrialOrder[chosen]);
  // In capitals, the file is the same name to Windows, and so to the lookup.
  if (reading && (data[0] / kCodePageTrialOrder.size()) % 2 == 1) {
    std::u16string units = *decodeToUtf16(*reading, CodePage::utf8);
    for (char16_t& unit : units)
      unit = capitalOf(unit);
    const auto capitals = encodeUtf16ToUtf8(units);
    FUZZ_CHECK(capitals && sameNameIgnoringCase(CaseKey(*capitals), CaseKey(*reading)));
    reading = capitals;
  }
  const bool put = reading && isPlainFaceSetName(*reading, PathStyle::posix) &&
                   testing::writeFile((faceSets / (*reading + ".png")).string(), {});

  FaceSetLookup lookup((gameFolder() / "Save01.lsd").string(), platform::nativePathStyle(),
                       diskFiles());
  const auto found = lookup.find(name);
  FUZZ_CHECK(found.has_value() == put);
  if (!found) return 0;
  FUZZ_CHECK(fs::equivalent(found->path, faceSets / (*reading + ".png")));
  if (found->codePage) {
    const auto* at =
        std::find(kCodePageTrialOrder.begin(), kCodePageTrialOrder.end(), *found->codePage);
    FUZZ_CHECK(static_cast<std::size_t>(at - kCodePageTrialOrder.begin()) <= chosen);
  }
  return 0;
}
