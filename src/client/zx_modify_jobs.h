// Modifying jobs: modifyJobs() sends a modify command (the new values in
// its job record, the names of the fields to change in its field list) to
// the supervisor with tag 211 and hands back the ids of the jobs it
// changed. Answers, refusals and failures are read as runCommand() reads
// them (client/zx_run_command.h): a new supervisor's result record gives
// its job id list, an old supervisor's bare job id list gives its ids.
#pragma once

#include "model/zx_job_id_list.h"
#include "model/zx_modify_command.h"

// `modify` stays the caller's (its action is set to 211); the affected
// job ids are appended to `jobIds`, which owns them. True on success.
bool modifyJobs(ZxModifyCommand& modify, ZxJobIdList& jobIds);
