// The POSIX side of the platform module.

// 64-bit file sizes, offsets and inode numbers on 32-bit systems too (glibc takes this from
// its first header on): there a file of 2 GiB or more, or any file of a file system with
// large inode numbers, would fail stat and open with EOVERFLOW and look missing.
#define _FILE_OFFSET_BITS 64

#include "platform/platform.hpp"
#include "platform/read_into.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "platform/posix/time_format.hpp"

namespace vantrix::platform {
namespace {

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting whether the close succeeded.
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// O_NONBLOCK keeps a named pipe from blocking the open; regular files ignore it.
Fd openForReading(const std::string& path) {
  // A name with a zero byte would open a shorter name than the one asked for.
  if (path.empty() || path.find('\0') != std::string::npos) return Fd(-1);
  return Fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

// What a path names, looked at before it is opened. A device that may be read is not opened
// at all: opening one can act (a tape rewinds, a watchdog starts), and a game folder may hold
// anything a crafted archive unpacked as root leaves there. It reads as empty, as devices do.
enum class Found { nothing, device, openable };

Found lookAt(const std::string& path) {
  struct stat info {};
  if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) {
    return Found::nothing;
  }
  if (!S_ISCHR(info.st_mode) && !S_ISBLK(info.st_mode)) return Found::openable;
  return ::access(path.c_str(), R_OK) == 0 ? Found::device : Found::nothing;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// A name suffix for a temporary file. It need not be secret, only unlikely to be taken: the
// file is created exclusively and another name tried when it is. The process id, the clock and
// the attempt are enough, and cost far less than a random device.
std::string temporarySuffix(int attempt) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint64_t value = static_cast<std::uint64_t>(::getpid()) << 32;
  value ^= static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30);
  value += static_cast<std::uint64_t>(attempt) * 0x9E3779B97F4A7C15u;
  return std::to_string(value) + ".tmp";
}

// The document written completely into a new file in `folder`, named `prefix` and a suffix,
// with the permissions of the file it is to replace: the file's name, or empty when the
// folder takes no new file. `failed` tells that writing failed; the file is gone again.
std::string stageBeside(const std::string& folder, const std::string& prefix, std::string_view text,
                        const struct stat* existing, bool& failed) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  failed = false;
#if defined(O_TMPFILE)
  // An unnamed file gets its name only once it is complete, so a run killed while writing
  // leaves no file behind.
  if (Fd out(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)); out.valid()) {
    if (!writeAll(out.get(), data, text.size()) ||
        (existing && ::fchmod(out.get(), existing->st_mode & 07777) != 0)) {
      failed = true;
      return {};
    }
    // Naming through /proc needs no privilege, unlike linkat's AT_EMPTY_PATH.
    const std::string self = "/proc/self/fd/" + std::to_string(out.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string temporary = prefix + temporarySuffix(attempt);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        if (out.close()) return temporary;
        ::unlink(temporary.c_str());
        failed = true;
        return {};
      }
      if (errno != EEXIST) break;
    }
    // Not to be named here (no /proc): a named file decides.
  }
#endif
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = prefix + temporarySuffix(attempt);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return {};
  Fd out(fd);
  bool ok = writeAll(out.get(), data, text.size());
  if (ok && existing) ok = ::fchmod(out.get(), existing->st_mode & 07777) == 0;
  if (ok) ok = out.close();
  if (ok) return temporary;
  ::unlink(temporary.c_str());
  failed = true;
  return {};
}

// Empties the output and writes the document into it as it stands.
ReplaceStatus writeInPlace(const std::string& path, std::string_view text) {
  Fd out(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (!out.valid()) return ReplaceStatus::cannotOpen;
  return writeAll(out.get(), reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) &&
                 out.close()
             ? ReplaceStatus::written
             : ReplaceStatus::cannotWrite;
}

// The file the output link `path` names, so that writing through a link replaces the file it
// points to. A link whose target is missing is followed link by link (a relative target from
// the link's folder) to the file it would make, as the shell's ">" makes it; one to something
// without a path (/dev/stdout, a pipe) stays as it is.
std::string linkTarget(const std::string& path) {
  if (char* target = ::realpath(path.c_str(), nullptr)) {
    std::string resolved = target;
    std::free(target);
    return resolved;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return path;
  std::string next = path;
  for (int depth = 0; depth < 40; ++depth) {
    if (::lstat(next.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(next.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) break;
    const std::string_view link(target, static_cast<std::size_t>(length));
    const std::size_t slash = next.rfind('/');
    next = link.front() == '/' || slash == std::string::npos
               ? std::string(link)
               : next.substr(0, slash + 1) + std::string(link);
  }
  return next;
}

}  // namespace

void prepareProcess() {
#if defined(__GLIBC__)
  // Blocks under 4 MiB come from the heap, and the heap is not trimmed below 64 MiB of free
  // space; a conversion's few blocks of a few hundred KiB then map their pages once. Larger
  // blocks (only a hostile face set's) are mapped on their own and given back when freed, so
  // two of them never add up however the heap lies.
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 1 << 20);
#endif
}

PathStyle nativePathStyle() {
  return PathStyle::posix;
}

std::string pathFromSystemName(std::string_view name) {
  return std::string(name);
}

std::optional<std::size_t> readInto(const std::string& path, std::uint64_t maxBytes,
                                    const Room& room) {
  const Found found = lookAt(path);
  if (found == Found::nothing) return std::nullopt;
  if (found == Found::device) return room(0), 0;
  Fd fd = openForReading(path);
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  if (!S_ISREG(info.st_mode)) return room(0), 0;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > maxBytes) return std::nullopt;
  // A file larger than the address space cannot be held: memory runs out, as for any other.
  if (size > SIZE_MAX) throw std::bad_alloc();
  std::uint8_t* const into = room(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < size) {
    ssize_t got = ::read(fd.get(), into + done, static_cast<std::size_t>(size) - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;  // the file shrank while we read it
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool isReadableFile(const std::string& path) {
  const Found found = lookAt(path);
  if (found != Found::openable) return found == Found::device;
  Fd fd = openForReading(path);
  if (!fd.valid()) return false;
  struct stat info {};
  return ::fstat(fd.get(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::optional<std::vector<std::string>> listFolder(const std::string& path) {
  DIR* dir = ::opendir(path.empty() ? "." : path.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<std::string> names;
  // readdir gives null at the end and on an error, told apart by errno: a listing cut short
  // is no listing, not a folder that seems to lack the rest of its names.
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
    errno = 0;
  }
  const bool complete = errno == 0;
  ::closedir(dir);
  if (!complete) return std::nullopt;
  return names;
}

// Whether the file open at `fd` holds exactly `size` bytes equal to `data`.
bool holdsBytes(int fd, const std::uint8_t* data, std::size_t size) {
  std::uint8_t buffer[8192];
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, size - done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || std::memcmp(buffer, data + done, static_cast<std::size_t>(got)) != 0) {
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  std::uint8_t extra;
  return ::read(fd, &extra, 1) == 0;
}

ReplaceStatus replaceFile(const std::string& requestedPath, std::string_view text) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  std::string path = requestedPath;
  struct stat info {};
  bool exists = ::lstat(path.c_str(), &info) == 0;
  if (exists && S_ISLNK(info.st_mode)) {
    path = linkTarget(requestedPath);
    exists = ::stat(path.c_str(), &info) == 0;
  }
  if (exists) {
    if (S_ISDIR(info.st_mode)) return ReplaceStatus::cannotOpen;
    // An existing output must be writable as it stands; opened for reading too where it may
    // already hold the document.
    const bool sameSize = S_ISREG(info.st_mode) && info.st_size == static_cast<off_t>(text.size());
    int opened = sameSize ? ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC) : -1;
    const bool readable = opened >= 0;
    if (!readable) opened = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    Fd probe(opened);
    if (!probe.valid()) return ReplaceStatus::cannotOpen;
    // Refreshing the preview of an unchanged save leaves its document untouched: rewriting
    // the same bytes would only cost a new file, a rename and the old file's blocks.
    if (readable && holdsBytes(probe.get(), data, text.size())) return ReplaceStatus::written;
    if (!S_ISREG(info.st_mode)) {
      // A device or pipe cannot be replaced by renaming: write into it as it is. It was opened
      // without waiting for a reader; it is written as any program writes, waiting for a slow
      // reader rather than stopping when the pipe is full.
      const int flags = ::fcntl(probe.get(), F_GETFL);
      if (flags >= 0) ::fcntl(probe.get(), F_SETFL, flags & ~O_NONBLOCK);
      return writeAll(probe.get(), data, text.size()) && probe.close() ? ReplaceStatus::written
                                                                       : ReplaceStatus::cannotWrite;
    }
  }

  std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string prefix = (slash == std::string::npos ? "./." : folder + ".") + base + ".";
  bool failed = false;
  const std::string temporary = stageBeside(folder, prefix, text, exists ? &info : nullptr, failed);
  if (failed) return ReplaceStatus::cannotWrite;
  if (temporary.empty()) {
    // The folder takes no new files but the output itself is writable: write it in place.
    return exists ? writeInPlace(path, text) : ReplaceStatus::cannotOpen;
  }
  if (::rename(temporary.c_str(), path.c_str()) == 0) return ReplaceStatus::written;
  ::unlink(temporary.c_str());
  // The output cannot be replaced (a file mounted on its own, as containers mount one; a
  // sticky folder's file of another owner) but was opened for writing: write it in place.
  return exists ? writeInPlace(path, text) : ReplaceStatus::cannotWrite;
}

void printLine(std::string_view line) {
  std::string out(line);
  out += "\r\n";
  writeAll(STDOUT_FILENO, reinterpret_cast<const std::uint8_t*>(out.data()), out.size());
}

char timeSeparator() {
  // The C library picks LC_TIME's locale by these variables; "C" and "POSIX" (also what no
  // name means) and the C locale in UTF-8, the usual default of containers and services,
  // have the format "%H:%M:%S", so no locale file need be read for them.
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    name = std::getenv(variable);
    if (name != nullptr && *name != '\0') break;
  }
  if (name == nullptr || *name == '\0') return ':';
  for (const char* builtIn : {"C", "POSIX", "C.UTF-8", "C.utf8"}) {
    if (std::strcmp(name, builtIn) == 0) return ':';
  }
  locale_t locale = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return ':';
  // Asked through the thread's locale: in a statically linked program nl_langinfo_l gives
  // the C locale's time format whatever locale it is handed, so a Finnish user would see ":"
  // where "%H.%M.%S" asks for ".".
  const locale_t previous = ::uselocale(locale);
  const char separator = timeSeparatorOf(::nl_langinfo(T_FMT));
  ::uselocale(previous);
  ::freelocale(locale);
  return separator;
}

}  // namespace vantrix::platform
