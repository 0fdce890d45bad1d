// Submitting jobs: submit() completes every job of a list from the client's
// surroundings (client/zx_job_completion.h), sends the list to the
// supervisor (request 200) and hands back the jobs it accepted, with the
// ids it gave them.
//
// Inside a running job (ZXJOBID, ZXPGRPID set) every submitted job names
// that job as its parent and process group. zx.conf is read for every job;
// each job type is read once per submission (ZxJobTypeMemo).
//
// Every failure puts its reason into the last error (client/zx_last_error.h):
// the transport's error when no supervisor answered, the supervisor's own
// error for a refusal (reply tag 3 or 4), 2052 for an answer without
// content and 2053 (value ID: the declared content type) for an answer that
// is not a job list. Nothing is written to standard error.
#pragma once

#include "model/zx_job.h"

// `jobs` stays the caller's and is completed in place; the accepted jobs
// are appended to `accepted`, which owns them. True when the supervisor
// accepted the list.
bool submit(ZxJobList& jobs, ZxJobList& accepted);
