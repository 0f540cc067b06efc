// The bundled example game: its files come from the example tool's recipe, and its preview
// is the reviewed document in examples/expected.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/run_program.hpp"
#include "support/temp_folder.hpp"
#include "support/xml_check.hpp"

namespace vantrix {
namespace {

namespace fs = std::filesystem;
const fs::path kExamples = fs::path(VANTRIX_SOURCE_DIR) / "examples";

TEST(ExampleGame, FilesAreWhatTheRecipeMakes) {
  testing::TempFolder made;
  ASSERT_EQ(std::system((std::string(VANTRIX_MAKE_EXAMPLE) + " " + made.path().string()).c_str()),
            0);
  std::size_t compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(made.path())) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), made.path());
    EXPECT_EQ(testing::readWholeFile(entry.path().string()),
              testing::readWholeFile((kExamples / relative).string()))
        << relative << " differs from what the example tool makes";
    ++compared;
  }
  EXPECT_GE(compared, 1u);
}

// The games and their reviewed documents; the unpacked game's faces are found only by reading
// its names in their code pages.
TEST(ExampleGame, PreviewMatchesTheReviewedDocument) {
  for (const auto& [game, expected] :
       {std::pair{"game", "Save01.xml"}, std::pair{"unpacked-game", "unpacked-game.xml"}}) {
    testing::TempFolder out;
    auto result = testing::runVantrix((kExamples / game).string(),
                                      {"Save01.lsd", (out.path() / "Save01.xml").string()});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const std::string document = testing::readWholeFile(out / "Save01.xml");
    EXPECT_EQ(document, testing::readWholeFile((kExamples / "expected" / expected).string()));
    EXPECT_EQ(testing::xmlError(document), "");
  }
}

}  // namespace
}  // namespace vantrix

#endif
