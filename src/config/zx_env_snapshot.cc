// ZxEnvSnapshot: splitting environment entries at their first "=".
#include "config/zx_env_snapshot.h"

#include "os/zx_os_env.h"
#include "model/zx_string_list.h"

ZxEnvSnapshot::ZxEnvSnapshot() {
  ZxStringList entries;
  zxos::environmentBlock(entries);
  split(entries);
}

ZxEnvSnapshot::ZxEnvSnapshot(const ZxStringList& entries) { split(entries); }

void ZxEnvSnapshot::split(const ZxStringList& entries) {
  for (int i = 0; i < entries.count(); ++i) {
    const ZxString& entry = *entries.get(i);
    const char* p = entry.c_str();
    int n = entry.length();
    int eq = 0;
    while (eq < n && p[eq] != '=') ++eq;
    // Made in place: a temporary string and its copy would cost twice.
    names_.append(new ZxString(p, eq));
    values_.append(eq < n ? new ZxString(p + eq + 1, n - eq - 1) : new ZxString());
  }
}

const ZxString& ZxEnvSnapshot::get(const ZxString& name) const {
  for (int i = 0; i < names_.count(); ++i)
    if (*names_.get(i) == name) return *values_.get(i);
  return empty_;
}
