// The bundled example game: its files come from the example tool's recipe, and its preview
// is the reviewed document in examples/expected.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "support/run_program.hpp"
#include "support/temp_folder.hpp"
#include "support/xml_check.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {
namespace {

namespace fs = std::filesystem;
const fs::path kExamples = fs::path(VANTRIX_SOURCE_DIR) / "examples";

TEST(ExampleGame, FilesAreWhatTheRecipeMakes) {
  testing::TempFolder made;
  const std::string launcher = testing::testLauncher();
  const std::string command =
      (launcher.empty() ? "" : launcher + " ") + VANTRIX_MAKE_EXAMPLE + " " + made.path().string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  // Every file the tool makes, and no other, in each folder it makes.
  auto filesUnder = [](const fs::path& root, const fs::path& folder) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
      if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root));
    }
    return files;
  };
  std::set<fs::path> madeFiles;
  std::set<fs::path> committedFiles;
  for (const auto& folder : fs::directory_iterator(made.path())) {
    const fs::path name = folder.path().filename();
    madeFiles.merge(filesUnder(made.path(), name));
    committedFiles.merge(filesUnder(kExamples, name));
  }
  ASSERT_FALSE(madeFiles.empty());
  EXPECT_EQ(committedFiles, madeFiles) << "files the example tool does not make, or is missing";
  for (const fs::path& relative : madeFiles) {
    EXPECT_EQ(testing::readWholeFile((made.path() / relative).string()),
              testing::readWholeFile((kExamples / relative).string()))
        << relative << " differs from what the example tool makes";
  }
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

// Files held in memory by their paths in the game folder, as a browser page holds them.
class MemoryFolder final : public FaceSetSource {
 public:
  explicit MemoryFolder(std::map<std::string, std::vector<std::uint8_t>> files)
      : files_(std::move(files)) {}
  std::optional<std::vector<std::string>> listFolder(const std::string& folder) override {
    const std::string prefix = folder.empty() ? "" : folder + "/";
    std::set<std::string> names;
    for (const auto& [path, bytes] : files_) {
      if (path.compare(0, prefix.size(), prefix) != 0) continue;
      names.insert(path.substr(prefix.size(), path.find('/', prefix.size()) - prefix.size()));
    }
    if (names.empty()) return std::nullopt;
    return std::vector<std::string>(names.begin(), names.end());
  }
  bool isFile(const std::string& path) override { return files_.count(path) != 0; }
  std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) override {
    const auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::map<std::string, std::vector<std::uint8_t>> files_;
};

TEST(ExampleGame, ConvertedFromMemoryAsTheProgramConvertsIt) {
  testing::TempFolder out;
  auto result = testing::runVantrix((kExamples / "game").string(),
                                    {"Save01.lsd", (out.path() / "Save01.xml").string()});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const std::string programs = testing::readWholeFile(out / "Save01.xml");

  struct Row {
    const char* what;
    std::string (*rename)(std::string path);
  };
  const Row rows[] = {
      {"as they are", [](std::string path) { return path; }},
      // Games are made on Windows, where letter case does not tell names apart.
      {"named in other letter case",
       [](std::string path) {
         for (std::size_t i = 0; i < path.size(); ++i) {
           const auto c = static_cast<unsigned char>(path[i]);
           path[i] = static_cast<char>(i < 7 ? std::tolower(c) : std::toupper(c));
         }
         return path;
       }},
  };
  for (const Row& row : rows) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(kExamples / "game")) {
      if (!entry.is_regular_file()) continue;
      const std::string bytes = testing::readWholeFile(entry.path().string());
      files[row.rename(fs::relative(entry.path(), kExamples / "game").generic_string())] =
          std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    const std::vector<std::uint8_t> save = files.at(row.rename("Save01.lsd"));
    MemoryFolder folder(std::move(files));
    const Conversion conversion = convertSave(save, "Save01.lsd", folder);
    EXPECT_EQ(conversion.status, ConversionStatus::converted) << row.what;
    EXPECT_EQ(conversion.document, programs) << row.what;
  }
}

}  // namespace
}  // namespace vantrix

#endif
