// ZxJobType: one job type, loaded from its folder's job.conf; the listing of
// the installed job types and single-key lookups.
//
// A job type is a folder named after the type that holds a job.conf file in
// the flat "key = value" format. Types are looked up along a search path of
// folders separated by ";": the ZXPATH variable, the worker_template_path
// setting and the installation's job type folders. The first folder of the
// path that holds a folder of the exact name wins. A folder named again
// later in the path (by the same text, or by another that resolves to the
// same folder) is searched only the first time.
//
// A type is valid when its job.conf was read and passed the version gates:
// "minimum_zexa_version" must not be above this library's version and
// "required_zexa_version", when it is a number, must equal it.
//
// Library and icon paths are made absolute against the type's folder (see
// resolvePath). For the keys that have a Windows-specific form, a missing or
// empty "gui_binding_winnt" (or "execute_binding_winnt") means that both the
// binding and its library come from the generic keys.
//
// Nothing here reports errors: a missing folder or job.conf, a failed gate or
// an unknown key gives an invalid type, empty values and an empty list. The
// only message is the log warning of the path tests for too-long paths.
//
// Ownership: a type owns copies of everything it read; accessors lend
// references that live as long as the type.
#pragma once

#include "config/zx_config_file.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

class ZxJobType {
 public:
  // The library version the version gates compare against.
  static constexpr float kLibraryVersion = 5.4f;

  // Loads the type `name` along the default search path (built anew here).
  explicit ZxJobType(const ZxString& name);
  // Loads the type `name` along `searchPath` (folders separated by ";").
  ZxJobType(const ZxString& name, const ZxString& searchPath);

  // The default search path: ZXPATH, then ";" and the worker_template_path
  // setting, then ";" and the installation's job type search path twice.
  static ZxString defaultSearchPath();
  // The same with the worker_template_path of a configuration the caller
  // has just read (sparing a second reading).
  static ZxString defaultSearchPath(const ZxString& workerTemplatePath);

  // `path` made absolute against `folder`: a path is absolute when it starts
  // with two backslashes, or with a letter, ":" and a "\" or "/", or (holding
  // no "\") starts with "/" or has a ":" before its first "/". Any other
  // path, the empty one included, gets the folder and, unless the folder
  // already ends in one, a path separator put in front.
  static ZxString resolvePath(const ZxString& folder, const ZxString& path);

  bool valid() const { return valid_; }
  // The value of `key` in job.conf ("" when missing); with `resolve`, made
  // absolute against the type's folder (so a missing key gives the folder
  // and a separator, and a type that was not found the separator alone).
  ZxString value(const ZxString& key, bool resolve) const;

  // The name asked for; once job.conf is found, the type's folder.
  const ZxString& name() const { return name_; }
  const ZxConfigFile& values() const { return values_; }
  const ZxString& searchPath() const { return searchPath_; }
  const ZxString& folder() const { return folder_; }

  const ZxString& icon() const { return icon_; }
  const ZxString& guiSubmitBinding() const { return guiSubmitBinding_; }
  const ZxString& guiSubmitLibrary() const { return guiSubmitLibrary_; }
  const ZxString& callbackLibrary() const { return callbackLibrary_; }
  const ZxString& guiJobDisplayBinding() const { return guiJobDisplayBinding_; }
  const ZxString& guiJobDisplayLibrary() const { return guiJobDisplayLibrary_; }
  const ZxString& guiSubjobDisplayBinding() const { return guiSubjobDisplayBinding_; }
  const ZxString& guiSubjobDisplayLibrary() const { return guiSubjobDisplayLibrary_; }
  const ZxString& submitBinding() const { return submitBinding_; }
  const ZxString& submitLibrary() const { return submitLibrary_; }
  const ZxString& executeBinding() const { return executeBinding_; }
  const ZxString& executeLibrary() const { return executeLibrary_; }
  const ZxString& displayBinding() const { return displayBinding_; }
  const ZxString& displayLibrary() const { return displayLibrary_; }
  const ZxString& parentType() const { return parentType_; }
  const ZxString& detail() const { return detail_; }
  const ZxString& version() const { return version_; }
  const ZxString& minimumVersion() const { return minimumVersion_; }
  const ZxString& requiredVersion() const { return requiredVersion_; }
  const ZxString& shortDetail() const { return shortDetail_; }

  // Defaults for the jobs of this type, as written in job.conf.
  const ZxString& jobPriority() const { return jobPriority_; }
  const ZxString& jobCluster() const { return jobCluster_; }
  const ZxString& jobRequirements() const { return jobRequirements_; }
  const ZxString& jobRestrictions() const { return jobRestrictions_; }
  const ZxString& jobReservations() const { return jobReservations_; }
  const ZxString& jobKind() const { return jobKind_; }
  const ZxString& jobLabel() const { return jobLabel_; }
  const ZxString& jobAccount() const { return jobAccount_; }
  const ZxString& jobHosts() const { return jobHosts_; }
  const ZxString& jobGroups() const { return jobGroups_; }
  const ZxString& jobFlags() const { return jobFlags_; }
  const ZxString& jobCpus() const { return jobCpus_; }
  const ZxString& jobName() const { return jobName_; }
  // Read and kept, but not applied to submitted jobs.
  const ZxString& jobStatus() const { return jobStatus_; }

 private:
  friend void listJobTypes(const ZxString& extraDir, ZxStringList& names);
  // Loads the type from `folder`, a folder of `searchPath` named `name`.
  ZxJobType(const ZxString& name, const ZxString& searchPath, const ZxString& folder);
  void find(const ZxString& name);
  void loadFrom(const ZxString& folder);
  void fillFields();

  bool valid_ = false;
  ZxString name_;
  ZxConfigFile values_;
  ZxString searchPath_;
  ZxString folder_;

  ZxString icon_;
  ZxString guiSubmitBinding_, guiSubmitLibrary_;
  ZxString callbackLibrary_;
  ZxString guiJobDisplayBinding_, guiJobDisplayLibrary_;
  ZxString guiSubjobDisplayBinding_, guiSubjobDisplayLibrary_;
  ZxString submitBinding_, submitLibrary_;
  ZxString executeBinding_, executeLibrary_;
  ZxString displayBinding_, displayLibrary_;
  ZxString parentType_, detail_, version_, minimumVersion_, requiredVersion_, shortDetail_;

  ZxString jobPriority_, jobCluster_, jobRequirements_, jobRestrictions_, jobReservations_;
  ZxString jobKind_, jobLabel_, jobAccount_, jobHosts_, jobGroups_, jobFlags_, jobCpus_;
  ZxString jobName_, jobStatus_;
};

// Appends to `names` the name of every valid job type found along ZXPATH,
// `extraDir` (when non-empty), worker_template_path and the installation's
// job type folders. Folder entries whose name starts with "." are never
// listed; a name found in several folders is taken from the first. The names
// come in the iteration order of the string hash that gathers them, not
// sorted.
void listJobTypes(const ZxString& extraDir, ZxStringList& names);

// Appends to `folders` the folders of the ";"-separated `searchPath` that a
// search visits, in order: empty pieces are skipped, and so is a folder
// named earlier in the path, by the same text or by another that resolves to
// the same folder (links, "." and ".." followed; a folder that cannot be
// resolved, or whose text is too long to be listed, is told apart by its
// text alone). So a path that names one folder ten thousand times costs one
// listing, and a lookup costs in proportion to the distinct folders.
void searchFolders(const ZxString& searchPath, ZxStringList& folders);

// ZxJobType(typeName).value(key, resolve).
ZxString jobTypeValue(const ZxString& typeName, const ZxString& key, bool resolve);
