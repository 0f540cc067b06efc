#pragma once

// The one place that talks to the operating system: files, folders, the console and the
// locale. A POSIX and a Windows side implement it; nothing else includes system headers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/arena.hpp"
#include "common/bytes.hpp"
#include "common/paths.hpp"

namespace vantrix::platform {

// Called once at the start of the program: sets up the process for one short conversion.
// Where the C library's allocator returns large blocks to the system as soon as they are
// freed (glibc above 128 KiB), it keeps them instead, so the next face set reuses memory
// whose pages are already mapped rather than faulting in fresh ones.
void prepareProcess();

// The path rules of the system this build runs on.
PathStyle nativePathStyle();

// The path that opens the file a name from a save or a library caller names. Such names are
// the system's narrow names: on Windows, bytes in the ANSI code page (paths are UTF-8 inside
// vantrix there); elsewhere the name's own bytes, which are the path.
std::string pathFromSystemName(std::string_view name);

#ifdef _WIN32
// A command-line argument of the wide command line as a path, and as the ANSI name the
// narrow command line would have given (characters the ANSI page lacks become "?").
std::string pathFromWide(std::wstring_view name);
std::string systemNameFromWide(std::wstring_view name);
#endif

// The whole content of a file that can be opened for reading, or nothing (missing, a folder,
// access denied). Files that are not plain files (devices, pipes) read as empty, so nothing
// blocks or reads without end.
std::optional<Bytes> readFile(const std::string& path);

// readFile into memory borrowed from `memory`, for a file that may be no larger than maxBytes:
// a larger one gives nothing, decided from its size on the opened file before a byte is read,
// so its size costs nothing.
std::optional<Lent> readFile(const std::string& path, std::uint64_t maxBytes, Arena& memory);

// True when readFile would give the file's bytes: it exists, is no folder and can be opened.
bool isReadableFile(const std::string& path);

// The names in a folder (without "." and ".."), or nothing when it cannot be listed.
std::optional<std::vector<std::string>> listFolder(const std::string& path);

enum class ReplaceStatus {
  written,
  cannotOpen,   // the output cannot be opened or created; nothing was changed
  cannotWrite,  // writing, flushing or renaming failed; the old file, if any, is intact
};

// Writes the bytes to a new temporary file beside `path` and renames it over `path` once it
// is complete, so a failed or interrupted run never leaves a truncated file.
ReplaceStatus replaceFile(const std::string& path, std::string_view bytes);

// Writes a line to standard output followed by CR LF, byte for byte.
void printLine(std::string_view line);

// The user's time separator (the first character of the regional setting), ':' when the
// setting cannot be read.
char timeSeparator();

}  // namespace vantrix::platform
