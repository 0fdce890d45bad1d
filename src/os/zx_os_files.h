// Files and folders: path tests by file attributes, folder listings, and whole
// file reads and writes, behind a small interface that each platform fills in
// (here: POSIX stat, opendir and open).
//
// Path tests refuse paths of kMaxPath characters or more: such a path is not
// looked at, a "WARNING: <path> exceeds MAX_PATH." line goes to the log, and
// the path counts as absent. The farm's job folders and configuration files are
// shared with machines where longer paths cannot be opened, so a longer path
// would work here and fail there.
#pragma once

#include <cstdint>

#include "util/zx_string.h"
#include "util/zx_base_list.h"

namespace zxos {

constexpr int kMaxPath = 260;

enum class PathKind { kAbsent, kFile, kDirectory, kOther };

// What `path` names (symbolic links followed). Paths of kMaxPath characters or
// more give kAbsent after the warning above; so does an empty path.
PathKind pathKind(const ZxString& path);
bool isDirectory(const ZxString& path);
bool isFile(const ZxString& path);
bool exists(const ZxString& path);

// Appends the name of every entry of the folder `dir` ("." and ".." left out),
// in the order the file system gives them. False when the folder cannot be
// listed (or its path is too long, with the warning).
bool listDirectory(const ZxString& dir, ZxBaseList<ZxString>& names);

// Whole-file reads are capped: nothing the library reads (configuration files,
// job type files, callback libraries) comes near this, and the cap keeps a
// hostile or mistaken path (a huge log, a device) from exhausting memory.
constexpr long long kMaxReadBytes = 64LL << 20;

// Replaces `out` by the bytes of the regular file `path`. False (and `out`
// empty) when the path is not a regular file, cannot be opened or read, or is
// larger than kMaxReadBytes. Named pipes and devices are refused without
// blocking.
bool readFile(const ZxString& path, ZxString& out);

// Replaces the file `path` by `text` (created with mode 0644 when missing).
bool writeFile(const ZxString& path, const ZxString& text);

// Replaces the file `path` by `text` in one step: the text goes to a new
// file of the same folder, readable by the owner alone (0600), which is
// then renamed over `path`. A reader sees the old content or the new, never
// a part, and an entry planted at `path` (a link to another file) is
// replaced rather than written through. False, with `path` unchanged, when
// any step fails.
bool replaceFile(const ZxString& path, const ZxString& text);

// The modification time of `path` in seconds since 1970, in *seconds.
// False when the path is absent (or refused by the path-length rule).
bool modificationTime(const ZxString& path, int64_t* seconds);

// Where the path-length warning goes. Tests and the log integration use it.
void warnPathTooLong(const ZxString& path);

}  // namespace zxos
