// The discovery cache file: its path, freshness, reading and writing.
#include "net/zx_supervisor_cache.h"

#include <cstring>

#include "config/zx_paths.h"
#include "net/zx_clock_offset.h"
#include "net/zx_connection.h"
#include "os/zx_os_files.h"

namespace zxcache {

bool userTempFile(const char* prefix, const ZxString& user, ZxString& path) {
  const char* name = user.c_str();
  const int n = user.length();
  if (std::strlen(name) != static_cast<size_t>(n)) return false;
  if (std::strchr(name, '/') || std::strchr(name, '\\')) return false;
  if (user == "." || user == "..") return false;
  ZxString folder;
  if (!defaultString(ZxSetting::kClientTempFolder, folder) || folder.isEmpty()) return false;
  path = folder;
  path.append('/').append(prefix).append(user).append(".tmp");
  return true;
}

bool cachePath(const ZxString& user, ZxString& path) { return userTempFile("supervisor_", user, path); }

bool isFresh(int64_t modified, int64_t configModified, int64_t now) {
  return modified > configModified && now - modified < kMaxAgeSeconds;
}

bool readCachedSupervisor(const ZxString& user, ZxString& address) {
  ZxString path;
  if (!cachePath(user, path)) return false;
  int64_t modified = 0;
  if (!zxos::modificationTime(path, &modified)) return false;
  int64_t configModified = 0;
  if (!zxos::modificationTime(defaultString(ZxSetting::kClientConfigFile), &configModified))
    configModified = 0;
  if (!isFresh(modified, configModified, zxclock::supervisorUnixNow())) return false;
  ZxString text;
  uint32_t number = 0;
  if (!zxos::readFile(path, text) || !ZxConnection::parseDottedQuad(text, &number)) return false;
  address = text;
  return true;
}

bool writeCachedSupervisor(const ZxString& user, const ZxString& address) {
  uint32_t number = 0;
  if (!ZxConnection::parseDottedQuad(address, &number)) return false;
  ZxString path;
  if (!cachePath(user, path)) return false;
  return zxos::replaceFile(path, address);
}

}  // namespace zxcache
