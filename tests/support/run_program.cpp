#include "support/run_program.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "support/temp_folder.hpp"

namespace vantrix::testing {
namespace {

// A spawned program's peak memory counts the peak of the process that spawned it (the two
// share one memory map until the exec), so this process gives back the memory it freed and
// restarts its own peak from what it holds now.
void forgetOwnPeakMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
  if (std::FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", file);
    std::fclose(file);
  }
}

}  // namespace

std::string testLauncher() {
  const char* launcher = std::getenv("VANTRIX_TEST_LAUNCHER");
  return launcher != nullptr ? launcher : "";
}

ProgramResult runVantrix(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
  // The output is caught in a folder of the run's own, never in FOLDER: that may be a
  // committed example another test is reading at the same time.
  const TempFolder capture;
  const std::string outPath = capture / "stdout";
  const std::string errPath = capture / "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

  const std::string launcher = testLauncher();
  std::vector<std::string> argumentStore = {VANTRIX_EXE};
  if (!launcher.empty()) argumentStore.insert(argumentStore.begin(), launcher);
  argumentStore.insert(argumentStore.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : argumentStore)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> variables = environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable = *entry;
    const std::string_view name = variable.substr(0, variable.find('=') + 1);
    const bool replaced = std::any_of(environment.begin(), environment.end(),
                                      [&](const std::string& e) { return e.starts_with(name); });
    if (!replaced) variables.emplace_back(variable);
  }
  std::vector<char*> envp;
  for (std::string& v : variables)
    envp.push_back(v.data());
  envp.push_back(nullptr);

  ProgramResult result;
  pid_t pid = 0;
  forgetOwnPeakMemory();
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakMemoryKiB = launcher.empty() ? usage.ru_maxrss : 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.output = readWholeFile(outPath);
  result.errors = readWholeFile(errPath);
  return result;
}

}  // namespace vantrix::testing
#endif
