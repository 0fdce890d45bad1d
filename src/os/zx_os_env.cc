// POSIX environment block, working directory and (absent) drive letters.
#include "os/zx_os_env.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace zxos {

ZxString getEnv(const char* name) {
  const char* value = name ? std::getenv(name) : nullptr;
  return ZxString(value ? value : "");
}

void environmentBlock(ZxBaseList<ZxString>& entries) {
  if (!environ) return;
  for (char** entry = environ; *entry; ++entry) entries.append(new ZxString(*entry));
}

bool currentDirectory(ZxString& out) {
  // Start with the size the job record has always used and grow on ERANGE;
  // 1 MiB is far beyond any real directory name and bounds the loop.
  constexpr size_t kFirstSize = 10240;
  constexpr size_t kMaxSize = 1 << 20;
  for (size_t size = kFirstSize; size <= kMaxSize; size *= 2) {
    std::vector<char> buffer(size);
    if (getcwd(buffer.data(), buffer.size())) {
      out.assign(buffer.data());
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

void driveMounts(ZxBaseList<ZxString>&, ZxBaseList<ZxString>&) {}

}  // namespace zxos
