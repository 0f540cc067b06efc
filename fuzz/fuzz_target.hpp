#pragma once

// The entry every fuzz target defines. libFuzzer calls it in fuzz builds; in the normal build
// replay_main.cpp calls it once for each file of the target's corpus.

#include <cstddef>
#include <cstdint>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// A broken expectation: abort, so that libFuzzer keeps the input and the replay fails.
#define FUZZ_CHECK(condition)                                                \
  do {                                                                       \
    if (!(condition)) ::vantrix::fuzz::fail(#condition, __FILE__, __LINE__); \
  } while (false)

namespace vantrix::fuzz {

[[noreturn]] void fail(const char* condition, const char* file, int line);

// A fresh folder under the system's temporary folder (its name starts with `prefix`),
// removed when the process ends normally; a crash leaves it for a look.
std::filesystem::path privateFolder(const char* prefix);

}  // namespace vantrix::fuzz
