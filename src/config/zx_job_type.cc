// Job types: search along the folders of a search path, job.conf loading
// with the version gates and the Windows-binding rule, path resolution and
// the listing of the installed types.
#include "config/zx_job_type.h"

#include "config/zx_config.h"
#include "config/zx_paths.h"
#include "model/zx_string_hash.h"
#include "os/zx_os_env.h"
#include "os/zx_os_files.h"
#include "os/zx_os_paths.h"
#include "model/zx_string_list.h"

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool endsInSeparator(const ZxString& s) { return s.length() > 0 && isSeparator(s.charAt(s.length() - 1)); }

// folder + separator (unless it already ends in one) + entry.
ZxString joinPath(const ZxString& folder, const ZxString& entry) {
  ZxString path(folder);
  if (!endsInSeparator(folder)) path.append(zxos::kPathSeparator);
  path.append(entry);
  return path;
}

// Calls f(folder) for every folder of searchFolders(searchPath), in order,
// until f returns true.
template <class F>
void forEachFolder(const ZxString& searchPath, F&& f) {
  ZxStringList folders;
  searchFolders(searchPath, folders);
  for (int i = 0; i < folders.count(); ++i)
    if (const ZxString* folder = folders.get(i))
      if (f(*folder)) return;
}

// The worker_template_path setting of a fresh configuration. Reading it also
// offers the configured installation directory, on which the installation's
// job type folders are built, so it is read before them.
ZxString workerTemplatePath() { return ZxConfig().workerTemplatePath(); }

}  // namespace

void searchFolders(const ZxString& searchPath, ZxStringList& folders) {
  ZxStringHash seenTexts, seenFolders;
  const char* s = searchPath.c_str();
  int n = searchPath.length();
  int start = 0;
  while (start < n) {
    int end = start;
    while (end < n && s[end] != ';') ++end;
    if (end > start) {
      ZxString folder(s + start, end - start);
      if (!seenTexts.find(folder)) {
        seenTexts.insert(folder, ZxString());
        // A spelling too long to be listed is not resolved: another, shorter
        // spelling of the same folder further on must still be searched.
        ZxString resolved;
        bool fresh = true;
        if (folder.length() < zxos::kMaxPath && zxos::resolvedPath(folder, resolved)) {
          fresh = !seenFolders.find(resolved);
          if (fresh) seenFolders.insert(resolved, ZxString());
        }
        if (fresh) folders.add(folder);
      }
    }
    start = end + 1;
  }
}

ZxJobType::ZxJobType(const ZxString& name) : name_(name), searchPath_(defaultSearchPath()) { find(name); }

ZxJobType::ZxJobType(const ZxString& name, const ZxString& searchPath)
    : name_(name), searchPath_(searchPath) {
  find(name);
}

ZxJobType::ZxJobType(const ZxString& name, const ZxString& searchPath, const ZxString& folder)
    : name_(name), searchPath_(searchPath) {
  loadFrom(folder);
}

ZxString ZxJobType::defaultSearchPath() {
  // The configuration is read first: it may move the installation directory
  // (ZX_DIR, zx_directory) that the installation's folders are built from.
  return defaultSearchPath(workerTemplatePath());
}

ZxString ZxJobType::defaultSearchPath(const ZxString& templatePath) {
  ZxString path = zxos::getEnv("ZXPATH");
  ZxString installed = jobTypeSearchPath();
  path.append(';').append(templatePath);
  path.append(';').append(installed);
  path.append(';').append(installed);
  return path;
}

ZxString ZxJobType::resolvePath(const ZxString& folder, const ZxString& path) {
  const char* p = path.c_str();
  int n = path.length();
  bool absolute = false;
  if (n >= 2 && p[0] == '\\' && p[1] == '\\') {
    absolute = true;  // a network path
  } else if (n >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':' &&
             isSeparator(p[2])) {
    absolute = true;  // a drive path
  } else if (!path.contains('\\')) {
    if (n >= 1 && p[0] == '/') {
      absolute = true;  // a rooted path with forward slashes
    } else {
      // A scheme or host prefix ("http://x", "host:/x"): a ":" before the
      // first "/". A path without "/" has no such prefix.
      int slash = 0;
      while (slash < n && p[slash] != '/') ++slash;
      if (slash < n)
        for (int i = 0; i < slash; ++i)
          if (p[i] == ':') absolute = true;
    }
  }
  if (absolute) return path;
  return joinPath(folder, path);
}

ZxString ZxJobType::value(const ZxString& key, bool resolve) const {
  const ZxString& v = values_.get(key);
  return resolve ? resolvePath(folder_, v) : v;
}

void ZxJobType::find(const ZxString& name) {
  if (name.isEmpty()) return;
  forEachFolder(searchPath_, [&](const ZxString& folder) {
    ZxStringList entries;
    if (!zxos::listDirectory(folder, entries)) return false;
    for (int i = 0; i < entries.count(); ++i) {
      const ZxString* entry = entries.get(i);
      // The listing gives the exact spelling, so the match is case-sensitive
      // on every file system, and a name holding a separator or ".." never
      // matches an entry.
      if (!entry || *entry != name) continue;
      ZxString path = joinPath(folder, *entry);
      if (!zxos::isDirectory(path)) continue;
      loadFrom(path);
      return true;
    }
    return false;
  });
}

void ZxJobType::loadFrom(const ZxString& folder) {
  folder_ = folder;
  ZxString file = joinPath(folder, "job.conf");
  if (!zxos::exists(file)) return;
  name_ = folder;
  valid_ = values_.load(file);
  if (!valid_) return;

  const ZxString& minimum = values_.get("minimum_zexa_version");
  const ZxString& required = values_.get("required_zexa_version");
  // Compared as single-precision numbers, so "5.4" and "5.40" both pass.
  if ((!minimum.isEmpty() && minimum.isNumber() && minimum.toFloat() > kLibraryVersion) ||
      (!required.isEmpty() && required.isNumber() && required.toFloat() != kLibraryVersion)) {
    // A type made for another library version offers nothing.
    valid_ = false;
    values_.clear();
    return;
  }
  fillFields();
}

void ZxJobType::fillFields() {
  auto get = [this](const char* key) -> const ZxString& { return values_.get(ZxString(key)); };
  auto resolved = [this, &get](const char* key) { return resolvePath(folder_, get(key)); };

  icon_ = resolved("gui_icon");
  callbackLibrary_ = resolved("callback_library");

  // The three front-end parts share one Windows binding key. Without it,
  // binding and library both come from the generic keys: a Windows library
  // without its binding is dropped.
  const ZxString& guiWindows = get("gui_binding_winnt");
  bool useWindowsGui = !guiWindows.isEmpty();
  guiSubmitBinding_ = useWindowsGui ? guiWindows : get("gui_submit_binding");
  guiSubmitLibrary_ = resolved(useWindowsGui ? "gui_submit_library_winnt" : "gui_submit_library");
  guiJobDisplayBinding_ = useWindowsGui ? guiWindows : get("gui_job_display_binding");
  guiJobDisplayLibrary_ =
      resolved(useWindowsGui ? "gui_job_display_library_winnt" : "gui_job_display_library");
  guiSubjobDisplayBinding_ = useWindowsGui ? guiWindows : get("gui_subjob_display_binding");
  guiSubjobDisplayLibrary_ =
      resolved(useWindowsGui ? "gui_subjob_display_library_winnt" : "gui_subjob_display_library");

  submitBinding_ = get("submit_binding");
  submitLibrary_ = resolved("submit_library");

  const ZxString& executeWindows = get("execute_binding_winnt");
  bool useWindowsExecute = !executeWindows.isEmpty();
  executeBinding_ = useWindowsExecute ? executeWindows : get("execute_binding");
  executeLibrary_ = resolved(useWindowsExecute ? "execute_library_winnt" : "execute_library");

  displayBinding_ = get("display_binding");
  displayLibrary_ = resolved("display_library");

  parentType_ = get("parent_type");
  detail_ = get("detail");
  version_ = get("version");
  minimumVersion_ = get("minimum_zexa_version");
  requiredVersion_ = get("required_zexa_version");
  shortDetail_ = get("short_detail");

  jobPriority_ = get("job_priority");
  jobCluster_ = get("job_cluster");
  jobRequirements_ = get("job_requirements");
  jobRestrictions_ = get("job_restrictions");
  jobReservations_ = get("job_reservations");
  jobKind_ = get("job_kind");
  jobLabel_ = get("job_label");
  jobAccount_ = get("job_account");
  jobHosts_ = get("job_hosts");
  jobGroups_ = get("job_groups");
  jobFlags_ = get("job_flags");
  jobCpus_ = get("job_cpus");
  jobName_ = get("job_name");
  jobStatus_ = get("job_status");
}

void listJobTypes(const ZxString& extraDir, ZxStringList& names) {
  ZxString searchPath = zxos::getEnv("ZXPATH");
  if (!extraDir.isEmpty()) searchPath.append(';').append(extraDir);
  ZxString templatePath = workerTemplatePath();
  ZxString installed = jobTypeSearchPath();
  searchPath.append(';').append(templatePath);
  searchPath.append(';').append(installed);
  searchPath.append(';').append(installed);
  searchPath.append(';');

  // Name -> the first folder holding a directory of that name. Loading from
  // that folder is what a search by name along the same path would find, so
  // every folder is listed once.
  ZxStringHash found;
  forEachFolder(searchPath, [&](const ZxString& folder) {
    ZxStringList entries;
    if (!zxos::listDirectory(folder, entries)) return false;
    for (int i = 0; i < entries.count(); ++i) {
      const ZxString* entry = entries.get(i);
      if (!entry || entry->isEmpty() || entry->charAt(0) == '.') continue;
      if (found.find(*entry)) continue;
      ZxString path = joinPath(folder, *entry);
      if (zxos::isDirectory(path)) found.insert(*entry, path);
    }
    return false;
  });

  found.forEach([&](const ZxString& name, const ZxString* path) {
    if (!path) return;
    ZxJobType type(name, searchPath, *path);
    if (type.valid()) names.add(name);
  });
}

ZxString jobTypeValue(const ZxString& typeName, const ZxString& key, bool resolve) {
  return ZxJobType(typeName).value(key, resolve);
}
