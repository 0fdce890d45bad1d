// Completing a job before it is submitted: what the submitting side knows
// and the job did not say, taken from the client's surroundings.
//
// For one job (its child jobs first, depth first, each completed before
// its parent's own fields), with the template search path T:
//   1. a fresh configuration (environment and zx.conf);
//   2. client_path_map merged into the job's path map;
//   3. where the job's field is empty (priority: negative): path <- T,
//      account, priority (when client_priority is set), cluster,
//      restrictions and mail address from the client_* settings;
//   4. flags |= client_job_flags;
//   5. the job type named by the job's prototype (found along ZXPATH, the
//      worker_template_path just read and the installation's folders),
//      again only where the field is still empty: account, priority, cluster, requirements,
//      restrictions, reservations, kind, label, hosts, groups, name; flags
//      |= job_flags; cpus from job_cpus when below 1 (1 when that is not
//      positive); and the callbacks of the type's callback library;
//   6. the environment: every variable, the current directory and the
//      machine's drives;
//   7. without the job flag "auto_mount" the machine's drives are dropped;
//   8. client_drive_map merged into the drives;
//   9. without the job flag "export_environment" the variables are dropped
//      (the current directory and the drives stay).
// So a value the caller set beats zx.conf, which beats the job type.
//
// The job belongs to the caller and is changed in place.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "config/zx_env_snapshot.h"
#include "config/zx_job_type.h"
#include "model/zx_job.h"
#include "util/zx_string.h"

// The job types one submission has loaded, by name and search path: the
// jobs of one submission that share a type read its folder once, not once
// each (a thousand jobs would otherwise read the same job.conf a thousand
// times). It lives for one submission, so a type edited between two
// submissions is read again; and since the search path is part of the key,
// a zx.conf whose worker_template_path changes meanwhile is followed too.
class ZxJobTypeMemo {
 public:
  // The type `name` along `searchPath`, loaded on first use; the memo
  // keeps it.
  const ZxJobType& get(const ZxString& name, const ZxString& searchPath);

 private:
  std::unordered_map<std::string, std::unique_ptr<ZxJobType>> types_;
};

// Completes `job` (children first). With `memo`, job types come from it;
// without, each is loaded for the job.
void completeJob(ZxJob& job, const ZxString& templatePath, ZxJobTypeMemo* memo = nullptr);

// The template search path of a submission, from `env`: ZXPATH (empty when unset),
// then, when the per-user file $HOME/.zx.conf could be read, ":" and its
// template_path value (the ":" even when either side is empty).
ZxString submitTemplatePath(const ZxEnvSnapshot& env);
