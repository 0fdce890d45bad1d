// POSIX path tests, folder listings and whole-file reads and writes.
#include "os/zx_os_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/zx_log.h"

namespace zxos {

void warnPathTooLong(const ZxString& path) { ZxLogLine::warning() << path << " exceeds MAX_PATH."; }

namespace {

// A path holding a NUL byte names no file: the system would read only the
// bytes before it and so act on another file.
bool hasNul(const ZxString& path) {
  return std::memchr(path.c_str(), 0, static_cast<size_t>(path.length())) != nullptr;
}

// False, after the warning, for paths the file layer refuses to look at.
bool testable(const ZxString& path) {
  if (path.isEmpty() || hasNul(path)) return false;
  if (path.length() >= kMaxPath) {
    warnPathTooLong(path);
    return false;
  }
  return true;
}

}  // namespace

PathKind pathKind(const ZxString& path) {
  if (!testable(path)) return PathKind::kAbsent;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return PathKind::kAbsent;
  if (S_ISDIR(info.st_mode)) return PathKind::kDirectory;
  if (S_ISREG(info.st_mode)) return PathKind::kFile;
  return PathKind::kOther;
}

bool isDirectory(const ZxString& path) { return pathKind(path) == PathKind::kDirectory; }
bool isFile(const ZxString& path) { return pathKind(path) == PathKind::kFile; }
bool exists(const ZxString& path) { return pathKind(path) != PathKind::kAbsent; }

bool isRegularFile(const ZxString& path) {
  if (path.isEmpty() || hasNul(path)) return false;
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool listDirectory(const ZxString& dir, ZxBaseList<ZxString>& names) {
  if (!testable(dir)) return false;
  DIR* handle = opendir(dir.c_str());
  if (!handle) return false;
  // Closed however the loop ends: adding a name can throw when memory runs out.
  struct Closer {
    DIR* d;
    ~Closer() { closedir(d); }
  } closer{handle};
  while (struct dirent* entry = readdir(handle)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    names.append(new ZxString(name));
  }
  return true;
}

bool readFile(const ZxString& path, ZxString& out, ReadFailure* why) {
  ReadFailure ignored;
  ReadFailure& failure = why ? *why : ignored;
  failure = ReadFailure::kNone;
  out.clear();
  if (path.isEmpty() || hasNul(path)) {
    failure = ReadFailure::kNotFound;
    return false;
  }
  // O_NONBLOCK keeps a named pipe from blocking the open; fstat then refuses
  // everything that is not a regular file.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    failure = errno == ENOENT || errno == ENOTDIR ? ReadFailure::kNotFound : ReadFailure::kUnreadable;
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    failure = ReadFailure::kNotRegular;
    return false;
  }
  bool ok = true;
  if (info.st_size > kMaxReadBytes) {
    ok = false;
  } else if (info.st_size > 0 && !out.reserve(static_cast<int>(info.st_size))) {
    // One buffer of the file's size instead of growth by appends.
    ok = false;
    failure = ReadFailure::kUnreadable;
  }
  char buffer[65536];
  long long total = 0;
  while (ok) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      failure = ReadFailure::kUnreadable;
      break;
    }
    if (n == 0) break;
    total += n;
    // The file may grow while it is read; the cap holds all the same.
    if (total > kMaxReadBytes) {
      ok = false;
      break;
    }
    int before = out.length();
    out.append(buffer, static_cast<int>(n));
    if (out.length() != before + n) {
      ok = false;
      failure = ReadFailure::kUnreadable;
      break;
    }
  }
  close(fd);
  if (!ok && failure == ReadFailure::kNone) {
    failure = ReadFailure::kTooLarge;
    ZxLogLine::warning() << path << " is larger than " << static_cast<int>(kMaxReadBytes >> 20)
                         << " MiB and was not read.";
  }
  if (!ok) out.clear();
  return ok;
}

namespace {

// Writes all n bytes to fd; false on any error.
bool writeAll(int fd, const char* p, long long n) {
  while (n > 0) {
    size_t chunk = n > (1LL << 30) ? static_cast<size_t>(1) << 30 : static_cast<size_t>(n);
    ssize_t written = write(fd, p, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += written;
    n -= written;
  }
  return true;
}

// A temporary file in the folder of `target`, created exclusively (a name
// that exists, a link included, is never opened). Answers its descriptor
// and sets `name`, or -1.
int createBeside(const ZxString& target, mode_t mode, ZxString& name) {
  static unsigned int counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target;
    name.append(".tmp")
        .appendInt(static_cast<int>(getpid()))
        .append('.')
        .appendInt(static_cast<int>(++counter));
    if (name.length() < target.length() + 7) return -1;  // the name could not be built
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

bool writeFile(const ZxString& path, const char* bytes, long long n) {
  if (path.isEmpty() || hasNul(path) || n < 0 || (n > 0 && !bytes)) return false;
  // Writing through a link replaces the file it leads to; a link that leads
  // nowhere is refused, since following it would create a file somewhere
  // the link's maker chose.
  ZxString target = path;
  struct stat info;
  bool exists = false;
  if (lstat(path.c_str(), &info) == 0) {
    if (S_ISLNK(info.st_mode)) {
      char* real = realpath(path.c_str(), nullptr);
      if (!real) return false;
      target = ZxString(real);
      std::free(real);
      if (stat(target.c_str(), &info) != 0) return false;
    }
    if (!S_ISREG(info.st_mode)) return false;  // a folder, a pipe, a device ...
    exists = true;
  } else if (errno != ENOENT) {
    return false;
  }
  ZxString temporary;
  int fd = createBeside(target, 0644, temporary);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes, n);
  // A replaced file keeps its permissions.
  if (ok && exists) ok = fchmod(fd, info.st_mode & 07777) == 0;
  if (ok) ok = fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  if (ok) ok = rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

bool writeFile(const ZxString& path, const ZxString& text) {
  return writeFile(path, text.c_str(), text.length());
}

bool resolvedPath(const ZxString& path, ZxString& out) {
  if (path.isEmpty() || hasNul(path)) return false;
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return false;
  out = ZxString(real);
  std::free(real);
  return true;
}

bool replaceFile(const ZxString& path, const ZxString& text) {
  if (path.isEmpty() || hasNul(path) || path.length() >= kMaxPath) return false;
  // A new file beside `path`, readable by the owner alone, renamed over it:
  // a link planted at `path` is replaced, never written through.
  ZxString temporary;
  int fd = createBeside(path, 0600, temporary);
  if (fd < 0) return false;
  bool ok = writeAll(fd, text.c_str(), text.length());
  if (close(fd) != 0) ok = false;
  if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

bool modificationTime(const ZxString& path, int64_t* seconds) {
  if (!seconds || !testable(path)) return false;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  *seconds = static_cast<int64_t>(info.st_mtime);
  return true;
}

}  // namespace zxos
