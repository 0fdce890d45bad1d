// The process environment and working directory, behind a small interface
// that each platform fills in (here: POSIX environ and getcwd).
#pragma once

#include "util/zx_string.h"
#include "util/zx_base_list.h"

namespace zxos {

// The value of the variable `name` in the live process environment; "" when
// the variable is unset.
ZxString getEnv(const char* name);

// Appends every entry of the process environment block to `entries`, in the
// block's order, each as the text "NAME=value" the process holds.
void environmentBlock(ZxBaseList<ZxString>& entries);

// The current working directory; false (and `out` unchanged) when it cannot be
// read.
bool currentDirectory(ZxString& out);

// Appends the drive letters of this machine with their targets ("Z:" and the
// network path, "X:" and a substituted folder). This platform has no drive
// letters, so nothing is appended.
void driveMounts(ZxBaseList<ZxString>& names, ZxBaseList<ZxString>& targets);

}  // namespace zxos
