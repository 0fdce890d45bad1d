// Filling a job's environment record (ZxEnv) from the running process and
// from a drive map text, and reading it back.
//
// What a job carries so that it finds its files on another machine: the
// variables of the submitting process, its current directory and the drive
// letters that point to network shares or substituted folders. On a platform
// without drive letters the drive table is left as it is.
//
// The functions fill or read a record the caller owns; nothing is kept.
#pragma once

#include "model/zx_env.h"
#include "util/zx_string.h"

namespace zxenv {

// Fills `env` from the process: the variable lists are replaced by the
// process environment block in order (each entry split at its first "="),
// the current directory replaces "cwd" when it can be read, and every
// network or substituted drive is stored in "mounts" under its drive name
// ("Z:"), replacing an entry of the same name; other entries stay. The
// umask is not touched.
void capture(ZxEnv& env);

// The part of capture() that is not the variables: the current directory
// and the drives. For callers that would drop the variables at once.
void captureLocation(ZxEnv& env);

// The value of the first variable named exactly `name`; "" when absent.
ZxString get(const ZxEnv& env, const ZxString& name);

// Empties the drive table.
void clearMounts(ZxEnv& env);
// Empties both variable lists.
void clearVariables(ZxEnv& env);

// Merges a drive map text into "mounts": one drive per line (lines cut at
// LF; a trailing LF starts no further line), "name|target" with the target
// running to the next "|" or the line's end. Blanks stay part of both. A
// line without "|" is a drive name with an empty target; an empty line
// gives an empty drive name. Each line replaces an entry of the same name.
void addDriveMap(ZxEnv& env, const ZxString& text);

}  // namespace zxenv
