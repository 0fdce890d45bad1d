// POSIX base folders: /opt for the installation, /etc (or ZX_CONF_DIR) for the
// configuration, a private per-user runtime folder for temporary files.
#include "os/zx_os_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/zx_os_env.h"
#include "os/zx_os_user.h"

namespace zxos {

const char* defaultInstallDir() { return "/opt/kvl/zexa"; }

bool configFolder(ZxString& out) {
  ZxString dir = getEnv("ZX_CONF_DIR");
  if (dir.isEmpty()) {
    out = "/etc";
    return true;
  }
  if (dir.length() >= kMaxFolderName) return false;
  out = dir;
  return true;
}

bool systemFolder(ZxString& out) { return configFolder(out); }
bool localDataFolder(ZxString& out) { return configFolder(out); }

namespace {

// True when `path` is a real folder (not a symbolic link) owned by this user
// that other users can neither read, write nor enter: the cache files kept
// there steer where this user's requests go.
bool safeFolder(const ZxString& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode)) return false;  // also refuses symbolic links
  if (info.st_uid != geteuid()) return false;
  return (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

void dropTrailingSeparator(ZxString& path) {
  int n = path.length();
  if (n > 1 && (path.charAt(n - 1) == '/' || path.charAt(n - 1) == '\\'))
    path = ZxString(path.c_str(), n - 1);
}

}  // namespace

bool tempFolder(ZxString& out) {
  ZxString runtime = getEnv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) {
    dropTrailingSeparator(runtime);
    if (runtime.length() >= kMaxFolderName || !safeFolder(runtime)) return false;
    out = runtime;
    return true;
  }
  ZxString base = getEnv("TMPDIR");
  if (base.isEmpty()) base = "/tmp";
  dropTrailingSeparator(base);
  ZxString dir = base;
  if (dir.charAt(dir.length() - 1) != '/') dir.append('/');
  dir.append("zx-").append(userIdText());
  if (dir.length() >= kMaxFolderName) return false;
  // mkdir never follows a link at the final name: an existing entry of any
  // kind makes it fail with EEXIST, and the check below then judges it.
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  if (!safeFolder(dir)) return false;
  out = dir;
  return true;
}

bool programFolderAlias(ZxString&, ZxString&) { return false; }

}  // namespace zxos
