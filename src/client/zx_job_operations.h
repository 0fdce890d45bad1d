// One operation per job, work and callback command: each sets the
// command's action code, runs it (client/zx_run_command.h) into a fresh
// result, moves the ids the result lists into the caller's list, in the
// result's order, and answers runCommand()'s answer.
//
//   job commands    -> the result's job_id_list      (ZxJobIdList)
//   work commands   -> the result's work_id_list     (ZxWorkIdList)
//   callback (802)  -> the result's callback_id_list (ZxCallbackIdList)
//
// The command stays the caller's; the target list takes ownership of the
// ids appended to it.
#pragma once

#include "model/zx_callback_id.h"
#include "model/zx_command.h"
#include "model/zx_job_id_list.h"
#include "model/zx_work_id.h"

// Any command code, for codes without a named operation below.
bool runJobCommand(int code, ZxCommand& command, ZxJobIdList& jobIds);
bool runWorkCommand(int code, ZxCommand& command, ZxWorkIdList& workIds);
bool runCallbackCommand(int code, ZxCommand& command, ZxCallbackIdList& callbackIds);

bool removeJobs(ZxCommand& command, ZxJobIdList& jobIds);     // 201
bool killJobs(ZxCommand& command, ZxJobIdList& jobIds);       // 207
bool interruptJobs(ZxCommand& command, ZxJobIdList& jobIds);  // 208
bool preemptJobs(ZxCommand& command, ZxJobIdList& jobIds);    // 209
bool blockJobs(ZxCommand& command, ZxJobIdList& jobIds);      // 210
bool unblockJobs(ZxCommand& command, ZxJobIdList& jobIds);    // 215
bool suspendJobs(ZxCommand& command, ZxJobIdList& jobIds);    // 216
bool resumeJobs(ZxCommand& command, ZxJobIdList& jobIds);     // 217
bool requeueJobs(ZxCommand& command, ZxJobIdList& jobIds);    // 219
bool retryJobs(ZxCommand& command, ZxJobIdList& jobIds);      // 220
bool migrateJobs(ZxCommand& command, ZxJobIdList& jobIds);    // 224
bool shoveJobs(ZxCommand& command, ZxJobIdList& jobIds);      // 225
bool retireJobs(ZxCommand& command, ZxJobIdList& jobIds);     // 227
bool resetJobs(ZxCommand& command, ZxJobIdList& jobIds);      // 231

bool retryWork(ZxCommand& command, ZxWorkIdList& workIds);      // 604
bool killWork(ZxCommand& command, ZxWorkIdList& workIds);       // 605
bool interruptWork(ZxCommand& command, ZxWorkIdList& workIds);  // 606
bool preemptWork(ZxCommand& command, ZxWorkIdList& workIds);    // 607
bool blockWork(ZxCommand& command, ZxWorkIdList& workIds);      // 608
bool unblockWork(ZxCommand& command, ZxWorkIdList& workIds);    // 610
bool suspendWork(ZxCommand& command, ZxWorkIdList& workIds);    // 611
bool resumeWork(ZxCommand& command, ZxWorkIdList& workIds);     // 612
bool requeueWork(ZxCommand& command, ZxWorkIdList& workIds);    // 613
bool completeWork(ZxCommand& command, ZxWorkIdList& workIds);   // 614
bool retireWork(ZxCommand& command, ZxWorkIdList& workIds);     // 615

bool callbackCommand(ZxCommand& command, ZxCallbackIdList& callbackIds);  // 802
