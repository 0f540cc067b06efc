// Two conversions at once over the same game folder: each writes a complete document, the
// same as a conversion alone, whether they share an output or not. Each round starts without
// the outputs: an output that already holds the document is left as it is, unwritten.

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>

#include "support/run_program.hpp"
#include "support/temp_folder.hpp"

#ifndef _WIN32
namespace vantrix {
namespace {

using namespace vantrix::testing;
namespace fs = std::filesystem;

class ConcurrentRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(VANTRIX_SOURCE_DIR) / "examples" / "game", game_.path(),
             fs::copy_options::recursive);
    ASSERT_EQ(runVantrix(folder(), {"Save01.lsd", "Alone.xml"}).exitCode, 0);
    alone_ = readWholeFile(game_ / "Alone.xml");
    ASSERT_NE(alone_.find("</savegame>"), std::string::npos);
  }

  std::string folder() const { return game_.path().string(); }

  // Starts both conversions before waiting for either, with neither output there yet.
  void runTwo(const std::string& first, const std::string& second) {
    fs::remove(game_.path() / first);
    fs::remove(game_.path() / second);
    auto a = std::async(std::launch::async, [&] {
      return runVantrix(folder(), {"Save01.lsd", first}).exitCode;
    });
    auto b = std::async(std::launch::async, [&] {
      return runVantrix(folder(), {"Save01.lsd", second}).exitCode;
    });
    EXPECT_EQ(a.get(), 0);
    EXPECT_EQ(b.get(), 0);
  }

  void expectNoTemporaryFiles() const {
    for (const auto& entry : fs::recursive_directory_iterator(game_.path())) {
      EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
  }

  TempFolder game_;
  std::string alone_;
};

TEST_F(ConcurrentRuns, ToTheSameOutput) {
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    runTwo("Same.xml", "Same.xml");
    EXPECT_EQ(readWholeFile(game_ / "Same.xml"), alone_);
  }
  expectNoTemporaryFiles();
}

TEST_F(ConcurrentRuns, ToDifferentOutputs) {
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    runTwo("First.xml", "Second.xml");
    EXPECT_EQ(readWholeFile(game_ / "First.xml"), alone_);
    EXPECT_EQ(readWholeFile(game_ / "Second.xml"), alone_);
  }
  expectNoTemporaryFiles();
}

}  // namespace
}  // namespace vantrix
#endif
