// Filling a job's environment record from the process and from drive map
// texts.
#include "config/zx_env_capture.h"

#include "os/zx_os_env.h"
#include "model/zx_string_list.h"

namespace zxenv {

void capture(ZxEnv& env) {
  env.keys().clear();
  env.values().clear();
  ZxStringList block;
  zxos::environmentBlock(block);
  for (int i = 0; i < block.count(); ++i) {
    const ZxString* entry = block.get(i);
    if (!entry) continue;
    const char* s = entry->c_str();
    int n = entry->length();
    int eq = 0;
    while (eq < n && s[eq] != '=') ++eq;
    env.keys().add(ZxString(s, eq));
    env.values().add(eq < n ? ZxString(s + eq + 1, n - eq - 1) : ZxString());
  }
  captureLocation(env);
}

void captureLocation(ZxEnv& env) {
  ZxString cwd;
  if (zxos::currentDirectory(cwd)) env.setCwd(cwd);

  ZxStringList names, targets;
  zxos::driveMounts(names, targets);
  for (int i = 0; i < names.count() && i < targets.count(); ++i)
    if (names.get(i) && targets.get(i)) env.mounts().insert(*names.get(i), *targets.get(i));
}

ZxString get(const ZxEnv& env, const ZxString& name) {
  const ZxStringList& keys = env.keys();
  const ZxStringList& values = env.values();
  for (int i = 0; i < keys.count(); ++i) {
    const ZxString* key = keys.get(i);
    if (key && *key == name) {
      const ZxString* value = i < values.count() ? values.get(i) : nullptr;
      return value ? *value : ZxString();
    }
  }
  return ZxString();
}

void clearMounts(ZxEnv& env) { env.mounts().clear(); }

void clearVariables(ZxEnv& env) {
  env.keys().clear();
  env.values().clear();
}

void addDriveMap(ZxEnv& env, const ZxString& text) {
  const char* s = text.c_str();
  int n = text.length();
  int start = 0;
  while (start < n) {
    int end = start;
    while (end < n && s[end] != '\n') ++end;
    int bar = start;
    while (bar < end && s[bar] != '|') ++bar;
    ZxString drive(s + start, bar - start);
    ZxString target;
    if (bar < end) {
      int stop = bar + 1;
      while (stop < end && s[stop] != '|') ++stop;
      target.assign(s + bar + 1, stop - bar - 1);
    }
    env.mounts().insert(drive, target);
    start = end + 1;  // past the LF; a final LF leaves nothing to read
  }
}

}  // namespace zxenv
