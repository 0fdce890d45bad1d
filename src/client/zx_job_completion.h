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
//   5. the job type named by the job's prototype, again only where the
//      field is still empty: account, priority, cluster, requirements,
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

#include "config/zx_env_snapshot.h"
#include "model/zx_job.h"
#include "util/zx_string.h"

void completeJob(ZxJob& job, const ZxString& templatePath);

// The template search path of a submission, from `env`: ZXPATH (empty when unset),
// then, when the per-user file $HOME/.zx.conf could be read, ":" and its
// template_path value (the ":" even when either side is empty).
ZxString submitTemplatePath(const ZxEnvSnapshot& env);
