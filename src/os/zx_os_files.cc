// POSIX path tests, folder listings and whole-file reads and writes.
#include "os/zx_os_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "util/zx_log.h"

namespace zxos {

void warnPathTooLong(const ZxString& path) { ZxLogLine::warning() << path << " exceeds MAX_PATH."; }

namespace {

// False, after the warning, for paths the file layer refuses to look at.
bool testable(const ZxString& path) {
  if (path.isEmpty()) return false;
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

bool listDirectory(const ZxString& dir, ZxBaseList<ZxString>& names) {
  if (!testable(dir)) return false;
  DIR* handle = opendir(dir.c_str());
  if (!handle) return false;
  while (struct dirent* entry = readdir(handle)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    names.append(new ZxString(name));
  }
  closedir(handle);
  return true;
}

bool readFile(const ZxString& path, ZxString& out) {
  out.clear();
  if (path.isEmpty()) return false;
  // O_NONBLOCK keeps a named pipe from blocking the open; fstat then refuses
  // everything that is not a regular file.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxReadBytes) {
    close(fd);
    return false;
  }
  char buffer[16384];
  long long total = 0;
  bool ok = true;
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
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
      break;
    }
  }
  close(fd);
  if (!ok) out.clear();
  return ok;
}

bool writeFile(const ZxString& path, const ZxString& text) {
  if (path.isEmpty()) return false;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const char* p = text.c_str();
  long long left = text.length();
  bool ok = true;
  while (left > 0) {
    ssize_t n = write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= n;
  }
  if (close(fd) != 0) ok = false;
  return ok;
}

namespace {

// Writes all of `text` to `fd`; false on the first failing write.
bool writeAll(int fd, const ZxString& text) {
  const char* p = text.c_str();
  long long left = text.length();
  while (left > 0) {
    ssize_t n = write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

}  // namespace

bool replaceFile(const ZxString& path, const ZxString& text) {
  if (path.isEmpty() || path.length() >= kMaxPath) return false;
  ZxString pattern = path;
  pattern.append(".XXXXXX");
  char* name = pattern.duplicate();
  if (!name) return false;
  // mkstemp creates the file with mode 0600 under a fresh name.
  int fd = mkstemp(name);
  if (fd < 0) {
    delete[] name;
    return false;
  }
  bool ok = writeAll(fd, text);
  if (close(fd) != 0) ok = false;
  if (ok) ok = rename(name, path.c_str()) == 0;
  if (!ok) unlink(name);
  delete[] name;
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
