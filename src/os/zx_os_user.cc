// Account name from the password database; no logon domains on this platform.
#include "os/zx_os_user.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zxos {

bool userName(ZxString& out) {
  // The record buffer grows on ERANGE up to 1 MiB, which bounds the loop; real
  // password entries are a few hundred bytes.
  constexpr size_t kMaxBuffer = 1 << 20;
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  size_t size = suggested > 0 ? static_cast<size_t>(suggested) : 1024;
  for (; size <= kMaxBuffer; size *= 2) {
    std::vector<char> buffer(size);
    struct passwd record;
    struct passwd* found = nullptr;
    int rc = getpwuid_r(geteuid(), &record, buffer.data(), buffer.size(), &found);
    if (rc == ERANGE) continue;
    if (rc != 0 || !found || !found->pw_name) return false;
    size_t length = std::strlen(found->pw_name);
    if (length == 0 || length > static_cast<size_t>(kMaxUserName)) return false;
    out.assign(found->pw_name, static_cast<int>(length));
    return true;
  }
  return false;
}

ZxString userIdText() {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(geteuid()));
  return ZxString(digits);
}

bool logonDomain(ZxString&) { return false; }

}  // namespace zxos
