#include "faces/face_set_lookup.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/platform.hpp"
#include "support/temp_folder.hpp"
#include "text/code_page.hpp"

namespace vantrix {
namespace {

using testing::TempFolder;

TEST(FaceSetLookup, PlainNames) {
  struct Case {
    const char* name;
    bool posix;
    bool windows;
  };
  const Case cases[] = {
      {"Hero", true, true},
      {"Actor 1", true, true},
      {"..", false, false},
      {".", false, false},
      {"../x", false, false},
      {"a/b", false, false},
      {"a\\b", true, false},  // a separator on Windows only
      {"C:x", true, false},
      {"", false, false},
      {"CON", true, false},
      {"con.txt", true, false},
      {"NUL ", true, false},
      {"COM1", true, false},
      {"lpt9", true, false},
      {"COM10", true, true},
      {"CONSOLE", true, true},
      {"..x", true, true},
      {"x..", true, true},
      // Superscript digits name ports too; other bytes after COM or LPT do not.
      {"COM\xB9", true, false},
      {"lpt\xB2.png", true, false},
      {"Com\xB3 ", true, false},
      {"COM\xB4", true, true},
      {"COM\xC2\xB9", true, false},  // the same digit in UTF-8, as a name read in a code page
      {"LPT\xC2\xB4", true, true},
      {"LPT\xBC", true, true},
      {"conin$", true, false},
      {"CONOUT$.bmp", true, false},
      {"Aux.", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isPlainFaceSetName(c.name, PathStyle::posix), c.posix) << c.name;
    EXPECT_EQ(isPlainFaceSetName(c.name, PathStyle::windows), c.windows) << c.name;
  }
  EXPECT_FALSE(isPlainFaceSetName(std::string("a\0b", 3), PathStyle::posix));
}

TEST(FaceSetLookup, FolderOfTheSave) {
  struct Case {
    const char* input;
    PathStyle style;
    const char* folder;
  };
  const Case cases[] = {
      {"C:\\Game\\Save01.lsd", PathStyle::windows, "C:\\Game\\FaceSet\\"},
      {"C:/Game/Save01.lsd", PathStyle::windows, "C:/Game/FaceSet\\"},
      {"Save01.lsd", PathStyle::windows, "FaceSet\\"},
      {"\\Save01.lsd", PathStyle::windows, "\\FaceSet\\"},
      {"C:Save01.lsd", PathStyle::windows, "C:FaceSet\\"},
      {"C:\\Save01.lsd", PathStyle::windows, "C:\\FaceSet\\"},
      {"\\\\server\\share\\Save01.lsd", PathStyle::windows, "\\\\server\\share\\FaceSet\\"},
      {"game/Save01.lsd", PathStyle::posix, "game/FaceSet/"},
      {"/Save01.lsd", PathStyle::posix, "/FaceSet/"},
      {"Save01.lsd", PathStyle::posix, "FaceSet/"},
      {"odd\\name.lsd", PathStyle::posix, "FaceSet/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FaceSetLookup(c.input, c.style, diskFiles()).folder(), c.folder) << c.input;
  }
}

TEST(FaceSetLookup, FindsByExtensionOrderAndIgnoringCase) {
  TempFolder game;
  const std::string save = game / "Save01.lsd";
  game.write("FaceSet/Both.bmp", "b");
  game.write("FaceSet/Both.png", "p");
  game.write("FaceSet/OnlyXyz.xyz", "x");
  game.write("FaceSet/LOUD.PNG", "p");
  game.write("FaceSet/Mixed.png", "p");
  game.write("FaceSet/mixed.BMP", "b");  // a case-insensitive .bmp beats an exact .png
  game.write("FaceSet/Dir.bmp/inner", "");

  struct Case {
    const char* name;
    FaceSetKind kind;
    const char* file;
  };
  const Case cases[] = {
      {"Both", FaceSetKind::bmp, "FaceSet/Both.bmp"},
      {"OnlyXyz", FaceSetKind::xyz, "FaceSet/OnlyXyz.xyz"},
      {"loud", FaceSetKind::png, "FaceSet/LOUD.PNG"},
      {"Mixed", FaceSetKind::bmp, "FaceSet/mixed.BMP"},
  };
  for (const Case& c : cases) {
    auto found = FaceSetLookup(save, platform::nativePathStyle(), diskFiles()).find(c.name);
    ASSERT_TRUE(found) << c.name;
    EXPECT_EQ(found->kind, c.kind) << c.name;
    EXPECT_TRUE(std::filesystem::equivalent(found->path, game / c.file)) << c.name;
  }
  EXPECT_FALSE(FaceSetLookup(save, platform::nativePathStyle(), diskFiles()).find("Missing"));
  EXPECT_FALSE(FaceSetLookup(save, platform::nativePathStyle(), diskFiles())
                   .find("Dir"));  // a folder is no face set
  EXPECT_FALSE(
      FaceSetLookup(save, platform::nativePathStyle(), diskFiles()).find("../FaceSet/Both"));
}

TEST(FaceSetLookup, FindsAFaceSetFolderOfAnyCase) {
  TempFolder game;
  game.write("FACESET/hero.BMP", "b");
  game.write("faceset/Zed.png", "p");
  auto hero =
      FaceSetLookup(game / "Save01.lsd", platform::nativePathStyle(), diskFiles()).find("Hero");
  ASSERT_TRUE(hero);
  EXPECT_TRUE(std::filesystem::equivalent(hero->path, game / "FACESET/hero.BMP"));
  auto zed =
      FaceSetLookup(game / "Save01.lsd", platform::nativePathStyle(), diskFiles()).find("ZED");
  ASSERT_TRUE(zed);
  EXPECT_TRUE(std::filesystem::equivalent(zed->path, game / "faceset/Zed.png"));
}

// Listings kept across lookups must find what fresh listings find, name after name.
TEST(FaceSetLookup, KeptListingsFindWhatFreshOnesFind) {
  TempFolder game;
  game.write("FACESET/hero.BMP", "b");
  game.write("faceset/Zed.png", "p");
  game.write("FaceSet/Both.bmp", "b");
  game.write("FaceSet/Both.png", "p");
  game.write("FaceSet/OnlyXyz.xyz", "x");
  game.write("FaceSet/mixed.BMP", "b");
  game.write("FaceSet/Mixed.png", "p");
  game.write("FaceSet/Twin.png", "p");  // the exact name wins over one first in byte order
  game.write("FaceSet/TWIN.png", "p");
  const std::string save = game / "Save01.lsd";
  FaceSetLookup lookup(save, platform::nativePathStyle(), diskFiles());
  for (const char* name : {"Hero", "ZED", "Both", "Missing", "OnlyXyz", "Mixed", "mixed", "Hero",
                           "zed", "Missing", "both", "Twin", "twin"}) {
    const auto fresh = FaceSetLookup(save, platform::nativePathStyle(), diskFiles()).find(name);
    const auto kept = lookup.find(name);
    ASSERT_EQ(kept.has_value(), fresh.has_value()) << name;
    if (!fresh) continue;
    EXPECT_EQ(kept->kind, fresh->kind) << name;
    EXPECT_EQ(kept->path, fresh->path) << name;
  }
}

// Games unpacked on another system have UTF-8 file names while their saves keep the game's
// code page. Each case: the name's bytes from the save, the files of the FaceSet folder (UTF-8
// names; "raw:" names a file by the save's own bytes), and the file found with the page that
// found it (empty: none). The Windows build decides the same under Wine.
TEST(FaceSetLookup, NamesInTheGamesCodePage) {
  const std::string sjis = "\x8A\xE7\x8A\x47\x8E\xE5\x96\xF0";  // 顔絵主役 in Shift-JIS
  const std::string gbkReading = *decodeToUtf8(sjis, CodePage::gbk);
  const bool backslashSeparates = platform::nativePathStyle() == PathStyle::windows;
  struct Case {
    const char* what;
    std::string name;
    std::vector<std::string> files;
    std::string found;
    std::optional<CodePage> page;
  };
  const std::vector<Case> cases = {
      {"Shift-JIS", sjis, {"顔絵主役.xyz"}, "顔絵主役.xyz", CodePage::shiftJis},
      {"second byte 0x5C", "\x83\x5C\x95\x5C", {"ソ表.png"}, "ソ表.png", CodePage::shiftJis},
      {"Big5", "\xA5\x44\xA8\xA4", {"主角.png"}, "主角.png", CodePage::big5},
      {"GBK", "\xD6\xF7\xBD\xC7", {"主角.bmp"}, "主角.bmp", CodePage::gbk},
      {"UHC", "\xBE\xF3\xB1\xBC", {"얼굴.png"}, "얼굴.png", CodePage::uhc},
      {"1252, other ASCII case", "H\xE9ros", {"hérOS.bmp"}, "hérOS.bmp", CodePage::western},
      {"1251", "\xC3\xE5\xF0\xEE\xE9", {"Герой.png"}, "Герой.png", CodePage::cyrillic},
      {"1251, other letter case",
       "\xC3\xE5\xF0\xEE\xE9",
       {"ГЕРОЙ.png"},
       "ГЕРОЙ.png",
       CodePage::cyrillic},
      {"GBK file of Shift-JIS bytes",
       sjis,
       {gbkReading + ".xyz"},
       gbkReading + ".xyz",
       CodePage::gbk},
      {"own bytes win", sjis, {"顔絵主役.bmp", "raw:.png"}, "raw:.png", std::nullopt},
      {".bmp before .png",
       sjis,
       {"顔絵主役.png", "顔絵主役.bmp"},
       "顔絵主役.bmp",
       CodePage::shiftJis},
      {"nothing anywhere", sjis, {"顔絵.png"}, "", std::nullopt},
      // "\\" separates only on Windows; elsewhere it is a byte of the file's name.
      {"decoded name with \\",
       "\x8A\xE7\\\x8A\x47",
       {"顔\\絵.png"},
       backslashSeparates ? "" : "顔\\絵.png",
       CodePage::shiftJis},
      {"own bytes ending in 0x5C",
       "\x83\x5C\x95\x5C",
       {"raw:.png"},
       backslashSeparates ? "" : "raw:.png",
       std::nullopt},
      {"ASCII name", "Hero", {"héro.png"}, "", std::nullopt},
  };
  for (const Case& c : cases) {
    TempFolder game;
    auto fileName = [&](const std::string& file) {
      return file.rfind("raw:", 0) == 0 ? platform::pathFromSystemName(c.name) + file.substr(4)
                                        : file;
    };
    for (const std::string& file : c.files) {
      std::filesystem::create_directories(game.path() / "FaceSet");
      const std::string utf8 = fileName(file);  // the paths vantrix opens are UTF-8 on Windows
      std::ofstream(game.path() / "FaceSet" / std::u8string(utf8.begin(), utf8.end())) << "x";
    }
    const auto found =
        FaceSetLookup(game / "Save01.lsd", platform::nativePathStyle(), diskFiles()).find(c.name);
    ASSERT_EQ(found.has_value(), !c.found.empty()) << c.what;
    if (!found) continue;
    const std::string expected = fileName(c.found);
    EXPECT_TRUE(std::filesystem::equivalent(
        std::u8string(found->path.begin(), found->path.end()),
        game.path() / "FaceSet" / std::u8string(expected.begin(), expected.end())))
        << c.what;
    // Where the system reads the name's own bytes as the page would (Windows set to 1252
    // reading a 1252 name), the own bytes found it.
    const bool ownReading = c.page && platform::pathFromSystemName(c.name) ==
                                          decodeToUtf8(c.name, *c.page).value_or("");
    EXPECT_EQ(found->codePage, ownReading ? std::nullopt : c.page) << c.what;
  }
}

#ifdef _WIN32
// Windows opens a device for a device name in any folder: the face set lookup must refuse
// such names before it touches the disk, and a device the platform is given reads as empty.
TEST(FaceSetLookup, DevicesAreNeitherLookedUpNorReadOnWindows) {
  TempFolder game;
  for (const char* name : {"CON", "NUL", "aux", "PRN", "COM1", "LPT2", "COM\xB9", "CONIN$"}) {
    EXPECT_FALSE(
        FaceSetLookup(game / "Save01.lsd", platform::nativePathStyle(), diskFiles()).find(name))
        << name;
  }
  for (const char* device : {"NUL", "nul.png", "NUL.bmp"}) {
    const auto bytes = platform::readFile(device);
    ASSERT_TRUE(bytes) << device;
    EXPECT_TRUE(bytes->empty()) << device;
  }
}
#endif

}  // namespace
}  // namespace vantrix
