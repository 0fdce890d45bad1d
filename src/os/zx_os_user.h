// The account the process runs as: its name and its logon domain, behind a
// small interface that each platform fills in (here: the password database).
#pragma once

#include "util/zx_string.h"

namespace zxos {

// User names longer than this are refused: the farm stores and sends user
// names in fields of this size.
constexpr int kMaxUserName = 256;

// The name of the account the process runs as; false (and `out` unchanged)
// when it cannot be found or is longer than kMaxUserName.
bool userName(ZxString& out);

// The numeric user id of the process as decimal text.
ZxString userIdText();

// The logon domain of the account. This platform has no logon domains, so the
// answer is always false; callers then use "." (a local account).
bool logonDomain(ZxString& out);

}  // namespace zxos
