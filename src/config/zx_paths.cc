// Installation directory, base folders and the default tables.
#include "config/zx_paths.h"

#include <cstdio>

#include "os/zx_os_paths.h"

namespace {

struct InstallDirState {
  ZxString dir;
  int priority = 0;
  InstallDirState() : dir(zxos::defaultInstallDir()) {}
};

// Created on first use, so that code running during static initialisation of
// other files already sees the default.
InstallDirState& installState() {
  static InstallDirState state;
  return state;
}

void reportMissingFolder(const char* what) {
  std::fprintf(stdout, "ERROR: unable to query for %s folder.\n", what);
  std::fflush(stdout);
}

// Base folders, each looked up only when an identifier needs it.
enum class Base { kNone, kInstall, kConfig, kData, kSystem, kLocalData, kTemp };

bool baseFolder(Base base, ZxString& out) {
  switch (base) {
    case Base::kNone:
      out.clear();
      return true;
    case Base::kInstall:
    case Base::kData:
      out = installDir();
      return true;
    case Base::kConfig:
      if (zxos::configFolder(out)) return true;
      reportMissingFolder("common data");
      return false;
    case Base::kSystem:
      if (zxos::systemFolder(out)) return true;
      reportMissingFolder("common data");
      return false;
    case Base::kLocalData:
      if (zxos::localDataFolder(out)) return true;
      reportMissingFolder("local data");
      return false;
    case Base::kTemp:
      return zxos::tempFolder(out);
  }
  return false;
}

struct StringEntry {
  int id;
  Base base;
  const char* suffix;  // appended to the base; folder names joined with "/"
};

// Every string default. A base of kNone gives the suffix alone.
const StringEntry kStrings[] = {
    {-1, Base::kConfig, ""},
    {1, Base::kConfig, "/zx.conf"},
    {101, Base::kConfig, "/zx.conf"},
    {301, Base::kConfig, "/zx.conf"},
    {401, Base::kConfig, "/zx.conf"},
    {501, Base::kConfig, "/zx.conf"},
    {601, Base::kConfig, "/zx.conf"},
    {3, Base::kNone, "/"},
    {104, Base::kNone, "/"},
    {7, Base::kNone, "passive"},
    {8, Base::kData, "/logs"},
    {9, Base::kData, "/logs"},
    // The worker's log folder: beside the others under the data folder (the
    // older Windows layout put it under the system folder's Temp).
    {111, Base::kData, "/logs"},
    {12, Base::kData, "/logs/manifestlog"},
    {13, Base::kData, "/logs/supelog"},
    {16, Base::kNone, "Internal"},
    {33, Base::kNone, "Internal"},
    {17, Base::kNone, "cluster"},
    {19, Base::kConfig, "/zxwrk.conf"},
    {20, Base::kNone, "open"},
    {21, Base::kNone, "enabled"},
    {30, Base::kData, "/logs/supe5.jnl"},
    {32, Base::kTemp, ""},
    {304, Base::kTemp, ""},
    {406, Base::kTemp, ""},
    {34, Base::kNone, "none"},
    {35, Base::kData, "/logs/supervisorpid"},
    {37, Base::kConfig, "/zxsslcert.pem"},
    {124, Base::kConfig, "/zxsslcert.pem"},
    {38, Base::kConfig, "/zxsslkey.pem"},
    {125, Base::kConfig, "/zxsslkey.pem"},
    {47, Base::kInstall, "/public"},
    {49, Base::kInstall, "/html"},
    {55, Base::kData, "/data"},
    {102, Base::kInstall, "/sbin/proxy"},  // programs carry no ".exe" here
    {103, Base::kData, "/logs/worker5.jnl"},
    {109, Base::kNone, "proxy"},
    {114, Base::kData, "/logs/workerlog"},
    {117, Base::kNone, "remote"},
    {121, Base::kNone, ""},
    {122, Base::kData, "/logs/workerpid"},
    {123, Base::kNone, "local,supervisor"},
    {129, Base::kNone, "zexaproxy"},
    {130, Base::kNone, "/"},  // the platform's path separator
    {201, Base::kNone, "/src/api/perl/zx"},
    {403, Base::kInstall, "/lib/gui/icons"},
    {404, Base::kInstall, "/lib/gui/html"},
    {405, Base::kInstall, "/docs"},
    {407, Base::kInstall, "/lib/gui/pr"},
    {408, Base::kInstall, "/lib/wizard"},
    {503, Base::kNone, "localhost"},
    {505, Base::kNone, "root"},
    {506, Base::kNone, "mysql"},
    {605, Base::kInstall, "/etc/job.mail"},
    {606, Base::kInstall, "/etc/subjob.mail"},
    {607, Base::kInstall, "/etc/work.mail"},
    {609, Base::kInstall, "/etc/report.mail"},
    {1001, Base::kSystem, "/zx.conf"},
    {1002, Base::kLocalData, "/zx.conf"},
};

struct IntEntry {
  int id;
  int value;
};

const IntEntry kInts[] = {
    {10, 50001},    // supervisor_port
    {48, 44444},    // supervisor_http_port
    {49, 50002},    // supervisor_sub_port
    {701, 50002},   // the same port, as the database side asks for it
    {113, 50011},   // worker_port
    {305, 8},       // client_job_flags: "auto_mount"
    {306, 600000},  // client_timeout, milliseconds
};

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

void offerInstallDir(const ZxString& path, int priority) {
  InstallDirState& state = installState();
  if (path.isEmpty() || priority <= state.priority) return;
  state.dir = path;
  state.priority = priority;
}

ZxString installDir() { return installState().dir; }

void resetInstallDir() {
  InstallDirState& state = installState();
  state.dir = zxos::defaultInstallDir();
  state.priority = 0;
}

bool defaultString(int id, ZxString& out) {
  out.clear();
  if (id == ZxSetting::kJobTypeSearchPath || id == ZxSetting::kClientJobTypeSearchPath || id == 402) {
    out = jobTypeSearchPath();
    return true;
  }
  if (id == ZxSetting::kInstallDir) {
    out = zxos::defaultInstallDir();
    return true;
  }
  for (const StringEntry& entry : kStrings) {
    if (entry.id != id) continue;
    ZxString value;
    if (!baseFolder(entry.base, value)) {
      out.clear();
      return false;
    }
    value.append(entry.suffix);
    out = value;
    return true;
  }
  return true;
}

ZxString defaultString(int id) {
  ZxString out;
  defaultString(id, out);
  return out;
}

int defaultInt(int id) {
  for (const IntEntry& entry : kInts)
    if (entry.id == id) return entry.value;
  return 0;
}

ZxString parentDir(const ZxString& path) {
  const char* p = path.c_str();
  int end = path.length();
  while (end > 0 && isSeparator(p[end - 1])) --end;   // trailing separators
  while (end > 0 && !isSeparator(p[end - 1])) --end;  // the last component
  while (end > 0 && isSeparator(p[end - 1])) --end;   // separators before it
  ZxString result(p, end);
  result.append(zxos::kPathSeparator);
  return result;
}

ZxString jobTypeSearchPath() {
  ZxString install = installDir();
  ZxString result = install;
  result.append("/types;");
  ZxString parent = parentDir(install);
  result.append(parent).append("jobtypes;");
  ZxString from, to;
  if (zxos::programFolderAlias(from, to)) parent = parent.replaceAll(from, to);
  result.append(parent).append("jobtypes");
  return result;
}
