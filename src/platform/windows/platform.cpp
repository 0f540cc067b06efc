// The Windows side of the platform module. Paths are UTF-8 inside vantrix and reach Windows
// as UTF-16 through its wide functions, so a game folder named in any script opens on any
// Windows; names from a save or a library caller are ANSI and are read in the ANSI code page,
// as the system's narrow functions read them. Files are read and written as bytes with no
// line-end translation.

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "platform/platform.hpp"
#include "platform/read_into.hpp"

namespace vantrix::platform {
namespace {

// A file handle that closes itself.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

bool usableName(const std::string& path) {
  // A name with a zero byte would open a shorter name than the one asked for.
  return !path.empty() && path.find('\0') == std::string::npos;
}

// The UTF-16 form of a UTF-8 path; empty (which names no file) when it is no UTF-8.
std::wstring widePath(const std::string& path) {
  if (!usableName(path) || path.size() > INT_MAX) return {};
  const int size = static_cast<int>(path.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), units);
  return wide;
}

// Wide text in a narrow code page: UTF-8 for paths, the ANSI page for names shown.
std::string narrow(std::wstring_view wide, UINT codePage) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
  return text;
}

// Folders cannot be opened this way (that needs FILE_FLAG_BACKUP_SEMANTICS), so a folder
// counts as a file that cannot be opened.
Handle openForReading(const std::string& path) {
  if (!usableName(path)) return Handle(INVALID_HANDLE_VALUE);
  return Handle(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool writeAll(HANDLE handle, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::size_t lastSeparatorOf(const std::string& path) {
  return lastSeparator(path, PathStyle::windows);
}

}  // namespace

PathStyle nativePathStyle() {
  return PathStyle::windows;
}

std::string pathFromSystemName(std::string_view name) {
  if (name.empty() || name.size() > INT_MAX) return std::string(name);
  const int size = static_cast<int>(name.size());
  const int units = MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), units);
  return narrow(wide, CP_UTF8);
}

std::string pathFromWide(std::wstring_view name) {
  return narrow(name, CP_UTF8);
}

std::string systemNameFromWide(std::wstring_view name) {
  return narrow(name, CP_ACP);
}

std::optional<std::size_t> readInto(const std::string& path, std::uint64_t maxBytes,
                                    const Room& room) {
  Handle file = openForReading(path);
  if (!file.valid()) return std::nullopt;
  // Consoles, printers, pipes and the like read as empty: nothing blocks or runs without end.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return room(0), 0;
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file.get(), &length) || length.QuadPart < 0) return std::nullopt;
  const auto size = static_cast<std::uint64_t>(length.QuadPart);
  if (size > maxBytes) return std::nullopt;
  // A file larger than the address space cannot be held: memory runs out, as for any other.
  if (size > SIZE_MAX) throw std::bad_alloc();
  std::uint8_t* const into = room(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < size) {
    const std::size_t left = static_cast<std::size_t>(size) - done;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD got = 0;
    if (!ReadFile(file.get(), into + done, chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  return done;
}

bool isReadableFile(const std::string& path) {
  return openForReading(path).valid();
}

std::optional<std::vector<std::string>> listFolder(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::nullopt;
  std::string pattern = path.empty() ? "." : path;
  if (!isSeparator(pattern.back(), PathStyle::windows)) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widePath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<std::string> names;
  do {
    std::string name = narrow(found.cFileName, CP_UTF8);
    if (name != "." && name != "..") names.push_back(std::move(name));
  } while (FindNextFileW(search, &found));
  // The search ends with ERROR_NO_MORE_FILES; any other error cut the listing short, and a
  // part of a folder's names is no listing of it.
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  if (!complete) return std::nullopt;
  return names;
}

// Whether the file open at `file` holds exactly `size` bytes equal to `data`.
bool holdsBytes(HANDLE file, const std::uint8_t* data, std::size_t size) {
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file, &length) || static_cast<std::uint64_t>(length.QuadPart) != size) {
    return false;
  }
  std::uint8_t buffer[8192];
  std::size_t done = 0;
  while (done < size) {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, size - done));
    if (!ReadFile(file, buffer, wanted, &got, nullptr) || got == 0 ||
        std::memcmp(buffer, data + done, got) != 0) {
      return false;
    }
    done += got;
  }
  return true;
}

ReplaceStatus replaceFile(const std::string& path, std::string_view text) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!usableName(path)) return ReplaceStatus::cannotOpen;
  const std::wstring widePathName = widePath(path);
  const DWORD attributes = GetFileAttributesW(widePathName.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ReplaceStatus::cannotOpen;
    // An existing output must be writable as it stands (a read-only file is not); opened
    // for reading too where it may already hold the document.
    HANDLE opened = CreateFileW(widePathName.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool readable = opened != INVALID_HANDLE_VALUE;
    if (!readable) {
      opened = CreateFileW(widePathName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    Handle probe(opened);
    if (!probe.valid()) return ReplaceStatus::cannotOpen;
    // Refreshing the preview of an unchanged save leaves its document untouched.
    if (readable && GetFileType(probe.get()) == FILE_TYPE_DISK &&
        holdsBytes(probe.get(), data, text.size())) {
      return ReplaceStatus::written;
    }
    if (GetFileType(probe.get()) != FILE_TYPE_DISK) {
      // A device such as NUL cannot be replaced by renaming: write into it as it is.
      return writeAll(probe.get(), data, text.size()) && probe.close() ? ReplaceStatus::written
                                                                       : ReplaceStatus::cannotWrite;
    }
  }

  // The temporary file lies beside the output, so the rename never crosses volumes.
  std::size_t separator = lastSeparatorOf(path);
  std::string folder;
  if (separator != std::string::npos) {
    folder = path.substr(0, separator + 1);
  } else if (path.size() >= 2 && path[1] == ':') {
    folder = path.substr(0, 2);
  }
  const std::string base = path.substr(folder.size());
  std::string temporary;
  HANDLE created = INVALID_HANDLE_VALUE;
  LARGE_INTEGER ticks{};
  QueryPerformanceCounter(&ticks);
  unsigned long long seed =
      static_cast<unsigned long long>(ticks.QuadPart) ^ (GetCurrentProcessId() * 2654435761ull);
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    temporary = folder + "." + base + "." + std::to_string(seed >> 33) + ".tmp";
    created = CreateFileW(widePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  // Empties the output and writes the document into it as it stands.
  auto writeInPlace = [&] {
    Handle out(CreateFileW(widePathName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) return ReplaceStatus::cannotOpen;
    return writeAll(out.get(), data, text.size()) && out.close() ? ReplaceStatus::written
                                                                 : ReplaceStatus::cannotWrite;
  };
  if (created == INVALID_HANDLE_VALUE) {
    // The folder takes no new files but the output itself is writable: write it in place.
    return exists ? writeInPlace() : ReplaceStatus::cannotOpen;
  }
  Handle out(created);
  bool ok = writeAll(out.get(), data, text.size());
  ok = out.close() && ok;
  if (!ok) {
    DeleteFileW(widePath(temporary).c_str());
    return ReplaceStatus::cannotWrite;
  }
  if (MoveFileExW(widePath(temporary).c_str(), widePathName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return ReplaceStatus::written;
  }
  DeleteFileW(widePath(temporary).c_str());
  // The output cannot be replaced (another program holds it open without letting it be
  // deleted, as many do while they read it) but was opened for writing: write it in place.
  return exists ? writeInPlace() : ReplaceStatus::cannotWrite;
}

void prepareProcess() {}

void printLine(std::string_view line) {
  // WriteFile passes the bytes as they are: CR LF is written once, never doubled.
  std::string out(line);
  out += "\r\n";
  HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  if (console != nullptr && console != INVALID_HANDLE_VALUE) {
    writeAll(console, reinterpret_cast<const std::uint8_t*>(out.data()), out.size());
  }
}

char timeSeparator() {
  char setting[127] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, setting, sizeof setting) > 0 &&
      setting[0] != '\0') {
    return setting[0];
  }
  return ':';
}

}  // namespace vantrix::platform
