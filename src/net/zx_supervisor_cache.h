// The discovery cache file: the supervisor that the last discovery found,
// remembered per user so that the next operation need not broadcast.
//
// The file is "supervisor_" + user + ".tmp" in the user's private
// temporary folder (os/zx_os_paths.h: owned by the user and closed to
// everyone else). It holds the supervisor's IPv4 address in dotted decimal
// form and nothing else. It is used only while fresh: modified later than
// zx.conf (a missing zx.conf counts as time 0) and less than 600 seconds
// ago by the supervisor's clock (the local clock plus the supervisor clock
// offset). So an edit of zx.conf makes it stale at once, and it goes stale
// by itself after ten minutes.
//
// A file holding anything but a dotted address is ignored: it is never
// looked up as a host name, so its content cannot steer requests anywhere
// but an address. It is written in one step (a new file renamed over the
// old), so a reader never sees half an address.
#pragma once

#include <cstdint>

#include "util/zx_string.h"

namespace zxcache {

// A file at least this many seconds old is stale.
constexpr int64_t kMaxAgeSeconds = 600;

// The per-user file `prefix` + user + ".tmp" in the private temporary
// folder; false when there is no such folder or the user name cannot be
// part of a file name (it holds a separator or a NUL, or is "." or "..").
bool userTempFile(const char* prefix, const ZxString& user, ZxString& path);

// The cache file's path for `user` (userTempFile with "supervisor_").
bool cachePath(const ZxString& user, ZxString& path);

// The cached address for `user` when the file is fresh and holds a dotted
// IPv4 address; false otherwise.
bool readCachedSupervisor(const ZxString& user, ZxString& address);

// Remembers `address` (dotted IPv4) for `user`; false when it could not be
// written (the caller goes on without the cache).
bool writeCachedSupervisor(const ZxString& user, const ZxString& address);

// Whether a cache file modified at `modified` is fresh at `now`, given
// zx.conf's modification time (0 when missing).
bool isFresh(int64_t modified, int64_t configModified, int64_t now);

}  // namespace zxcache
