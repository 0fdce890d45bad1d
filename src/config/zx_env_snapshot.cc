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
    // A list that could not grow dropped its item (and noted the failure):
    // stop there, so that every name below the shorter count still stands
    // beside its own value.
    if (names_.count() != i + 1 || values_.count() != i + 1) break;
  }
}

const ZxString& ZxEnvSnapshot::get(const ZxString& name) const {
  const int n = names_.count() < values_.count() ? names_.count() : values_.count();
  for (int i = 0; i < n; ++i)
    if (*names_.get(i) == name) return *values_.get(i);
  return empty_;
}
