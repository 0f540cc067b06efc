// The program on the most expensive saves of up to 1 MiB and face set files of any size that
// we know how to make: every conversion ends with a well-formed document and stays under
// 64 MiB of memory.

#include <gtest/gtest.h>

#include <string>

#include "support/hostile_games.hpp"
#include "support/run_program.hpp"
#include "support/temp_folder.hpp"
#include "support/xml_check.hpp"

#ifndef _WIN32
namespace vantrix {
namespace {

using namespace vantrix::testing;

// Sanitizers keep shadow memory and freed blocks of their own: no memory bound there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMeasuresMemory = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMeasuresMemory = false;
#else
constexpr bool kMeasuresMemory = true;
#endif
#else
constexpr bool kMeasuresMemory = true;
#endif

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(HostileInputs, EachConversionEndsWithAWellFormedDocumentWithinItsMemory) {
  for (const HostileRecipe& recipe : hostileRecipes()) {
    SCOPED_TRACE(recipe.name);
    TempFolder game;
    {
      const HostileGame files = recipe.make();
      EXPECT_LE(files.save.size(), kLargestSave);
      for (const auto& [name, bytes] : files.faceSets)
        EXPECT_LE(bytes.size(), kLargestFaceSet) << name;
      ASSERT_TRUE(writeHostileGame(files, game.path().string()));
    }
    const ProgramResult result = runVantrix(game.path().string(), {"Save01.lsd"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const std::string document = readWholeFile(game / "Save01.xml");
    EXPECT_EQ(xmlError(document), "");
    EXPECT_EQ(countOf(document, "<bitmap>"), static_cast<std::size_t>(recipe.bitmaps));
    // Under a launcher (qemu-user) the peak is the emulator's, not the program's.
    if (kMeasuresMemory && testLauncher().empty()) {
      EXPECT_LT(result.peakMemoryKiB, 64 * 1024);
    }
  }
}

}  // namespace
}  // namespace vantrix
#endif
