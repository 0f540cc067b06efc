// The command line end to end, against the built executable.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "support/run_program.hpp"
#include "support/save_builder.hpp"
#include "support/temp_folder.hpp"
#include "support/xml_check.hpp"

namespace vantrix {
namespace {

using testing::chunk;
using testing::number;
using testing::readWholeFile;
using testing::runVantrix;
using testing::saveFile;
using testing::sub;
using testing::TempFolder;
namespace fs = std::filesystem;

const std::string kUsage =
    "VANTRIX v1.00\r\n"
    "by Ombrel\r\n"
    "\r\n"
    "Puts preview info from a RM2k(3) save file (*.lsd) into a XML file.\r\n"
    "Usage: vantrix.exe <Input file> [Output file]\r\n"
    "\r\n"
    "If the LSD file is in a RM2k(3) project folder, the faces will be loaded too\r\n"
    "and saved as Base64 encoded BMP files in the XML file. If a RTP face is used,\r\n"
    "no bitmap is saved!\r\n";

const std::string kSave = saveFile(
    {chunk(100, {sub(11, "Alex"), sub(12, number(3))}), chunk(109, {sub(21, number(250))})});

// The names in a folder and its subfolders.
std::set<std::string> filesIn(const TempFolder& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
    names.insert(fs::relative(entry.path(), folder.path()).string());
  }
  return names;
}

TEST(CommandLine, UsageWithoutInput) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{""}}) {
    TempFolder folder;
    auto result = runVantrix(folder.path(), arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, kUsage);
    EXPECT_EQ(result.errors, "");
    EXPECT_TRUE(filesIn(folder).empty());
  }
}

TEST(CommandLine, FailuresPrintOneLineAndTouchNothing) {
  TempFolder folder;
  folder.write("Notes.txt", "not a save");
  folder.write("Save01.lsd", kSave);
  folder.write("Old.xml", "previous");
  fs::create_directory(folder.path() / "AFolder.lsd");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string output;
  };
  const Case cases[] = {
      {{"Missing.lsd"}, 1, "Can't open Missing.lsd\r\n"},
      {{"AFolder.lsd"}, 1, "Can't open AFolder.lsd\r\n"},
      {{"Notes.txt"}, 2, "Invalid file!\r\n"},
      {{"Notes.txt", "Old.xml"}, 2, "Invalid file!\r\n"},
      {{"Save01.lsd", "no/such/folder/out.xml"}, 3, "Can't open: no/such/folder/out.xml\r\n"},
      {{"Save01.lsd", "AFolder.lsd"}, 3, "Can't open: AFolder.lsd\r\n"},
      // An output beneath a file can be opened by no one, root included.
      {{"Save01.lsd", "Old.xml/out.xml"}, 3, "Can't open: Old.xml/out.xml\r\n"},
  };
  const std::set<std::string> before = filesIn(folder);
  for (const Case& c : cases) {
    auto result = runVantrix(folder.path(), c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[0];
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(filesIn(folder), before) << c.arguments[0];
    EXPECT_EQ(readWholeFile(folder / "Old.xml"), "previous");
  }
}

TEST(CommandLine, WritesTheDocument) {
  TempFolder folder;
  folder.write("Save03.lsd", kSave);
  folder.write("My Save.lsd", kSave);
  folder.write("Save03.xml", "an older preview that is much longer than the new document.....");
  fs::create_directory(folder.path() / "out");
  struct Case {
    std::vector<std::string> arguments;
    std::string output;
    std::string inputInComment;
  };
  const Case cases[] = {
      {{"Save03.lsd"}, "Save03.xml", "Save03.lsd"},
      {{"My", "Save.lsd"}, "My Save.xml", "My Save.lsd"},
      {{"Save03.lsd", "out/preview.xml"}, "out/preview.xml", "Save03.lsd"},
      {{"./Save03.lsd", "out/p2.xml", "extra"}, "out/p2.xml", "./Save03.lsd"},
  };
  for (const Case& c : cases) {
    auto result = runVantrix(folder.path(), c.arguments);
    EXPECT_EQ(result.exitCode, 0) << c.output;
    EXPECT_EQ(result.output, "");
    const std::string doc = readWholeFile(folder / c.output);
    EXPECT_NE(doc.find("<!-- Input file: " + c.inputInComment + " -->\r\n"), std::string::npos);
    EXPECT_NE(doc.find("        <name>Alex</name>\r\n"), std::string::npos) << doc;
    EXPECT_NE(doc.find("    <money>250</money>\r\n</savegame>\r\n"), std::string::npos);
    EXPECT_EQ(testing::xmlError(doc), "");
  }
  EXPECT_NE(readWholeFile(folder / "Save03.xml").find("<savegame id=\"3\">"), std::string::npos);
  // Converting an unchanged save again leaves its document as it is.
  const auto yesterday = fs::file_time_type::clock::now() - std::chrono::hours(24);
  fs::last_write_time(folder / "Save03.xml", yesterday);
  EXPECT_EQ(runVantrix(folder.path(), {"Save03.lsd"}).exitCode, 0);
  EXPECT_EQ(fs::last_write_time(folder / "Save03.xml"), yesterday);
  // No temporary file is left behind.
  for (const std::string& name : filesIn(folder)) {
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
}

// The executable, linked statically, reads the time separator from the user's LC_TIME
// locale: Finnish writes "%H.%M.%S"; Japanese "%H時%M分%S秒" has none.
// The locales are compiled from the C library's sources into the folder and found there
// through LOCPATH, whatever this machine has installed.
constexpr const char* kLocaleByteOrder =
    std::endian::native == std::endian::big ? "--big-endian" : "--little-endian";

TEST(CommandLine, TimeSeparatorOfTheUsersLocale) {
  TempFolder folder;
  folder.write("Save01.lsd", kSave);
  const std::pair<const char*, const char*> cases[] = {{"fi_FI", "000.00.00"},
                                                       {"ja_JP", "000:00:00"}};
  for (const auto& [locale, playingTime] : cases) {
    const std::string name = std::string(locale) + ".UTF-8";
    const fs::path compiled = folder.path() / "locales" / name;
    fs::create_directories(compiled);
    // Compiled locales are in the byte order of the program that reads them, which under
    // emulation (a big-endian build under qemu-user) is not this machine's.
    const std::string command = std::string("localedef -i ") + locale + " -f UTF-8 " +
                                kLocaleByteOrder + " '" + compiled.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command << " (Debian's locales package)";
    auto result = runVantrix(folder.path(), {"Save01.lsd"},
                             {"LOCPATH=" + (folder / "locales"), "LC_ALL=" + name});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(readWholeFile(folder / "Save01.xml").find(playingTime), std::string::npos) << locale;
  }
}

TEST(CommandLine, DerivedNamesNeverReplaceTheSave) {
  TempFolder folder;
  folder.write("x.xml", kSave);
  fs::create_directory(folder.path() / "My.Quest");
  folder.write("My.Quest/Save01", kSave);
  folder.write("Save01", kSave);
  EXPECT_EQ(runVantrix(folder.path(), {"x.xml"}).exitCode, 0);
  EXPECT_EQ(readWholeFile(folder / "x.xml"), kSave);
  EXPECT_NE(readWholeFile(folder / "x.xml.xml").find("<savegame>"), std::string::npos);
  EXPECT_EQ(runVantrix(folder.path(), {"My.Quest/Save01"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(folder.path() / "My.Quest/Save01.xml"));
  EXPECT_FALSE(fs::exists(folder.path() / "My.xml"));
  EXPECT_EQ(runVantrix(folder.path(), {"Save01"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(folder.path() / "Save01.xml"));
  EXPECT_FALSE(fs::exists(folder.path() / "xml"));
}

TEST(CommandLine, OutputNamedLikeTheInputReplacesIt) {
  TempFolder folder;
  folder.write("Save01.lsd", kSave);
  EXPECT_EQ(runVantrix(folder.path(), {"Save01.lsd", "Save01.lsd"}).exitCode, 0);
  EXPECT_EQ(readWholeFile(folder / "Save01.lsd").rfind("<?xml", 0), 0u);
}

TEST(CommandLine, WriteFailureKeepsTheOldDocument) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempFolder folder;
  folder.write("Save01.lsd", kSave);
  auto result = runVantrix(folder.path(), {"Save01.lsd", "/dev/full"});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.output, "Can't write: /dev/full\r\n");
}

TEST(CommandLine, WritesThroughALinkToTheFileItNames) {
  TempFolder folder;
  folder.write("Save01.lsd", kSave);
  folder.write("real/target.xml", "old");
  fs::create_symlink("real/target.xml", folder.path() / "link.xml");
  EXPECT_EQ(runVantrix(folder.path(), {"Save01.lsd", "link.xml"}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(folder.path() / "link.xml"));
  EXPECT_EQ(readWholeFile(folder / "real/target.xml").rfind("<?xml", 0), 0u);
  // A link to a file yet to be made makes it, through a chain of links, as the shell would.
  fs::create_symlink("new.xml", folder.path() / "real/next.xml");
  fs::create_symlink("real/next.xml", folder.path() / "dangling.xml");
  EXPECT_EQ(runVantrix(folder.path(), {"Save01.lsd", "dangling.xml"}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(folder.path() / "dangling.xml"));
  EXPECT_EQ(readWholeFile(folder / "real/new.xml").rfind("<?xml", 0), 0u);
}

// A pipe is written as any program writes it: a document larger than the pipe holds waits
// for a reader that is slow to take it, and arrives whole.
TEST(CommandLine, WritesAPipeWholeForASlowReader) {
  TempFolder folder;
  const std::string longName(100000, 'n');
  folder.write("Save01.lsd", saveFile({chunk(100, {sub(11, longName), sub(12, number(3))})}));
  const std::string pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  // Held open, so that the reader sees the end only once the test closes it.
  const int keeper = open(pipe.c_str(), O_WRONLY);
  ASSERT_GE(keeper, 0);
  std::string received;
  std::thread slowReader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    fcntl(reader, F_SETFL, 0);
    char buffer[4096];
    for (ssize_t got; (got = read(reader, buffer, sizeof buffer)) > 0;)
      received.append(buffer, static_cast<std::size_t>(got));
  });
  const auto result = runVantrix(folder.path(), {"Save01.lsd", "pipe"});
  close(keeper);
  slowReader.join();
  close(reader);
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_NE(received.find(longName), std::string::npos);
  EXPECT_NE(received.find("</savegame>\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vantrix

#endif
