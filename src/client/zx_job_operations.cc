// The per-command operations: the code, runCommand(), and the ids moved
// out of the result.
#include "client/zx_job_operations.h"

#include "client/zx_command_code.h"
#include "client/zx_move_items.h"
#include "client/zx_operation_guard.h"
#include "client/zx_run_command.h"
#include "model/zx_result.h"

bool runJobCommand(int code, ZxCommand& command, ZxJobIdList& jobIds) {
  return guardedOperation([&] {
    command.setAction(code);
    ZxResult result;
    const bool ok = runCommand(command, result);
    moveListItems<ZxJobIdList, ZxJobId>(result.jobIdList(), jobIds);
    return ok;
  });
}

bool runWorkCommand(int code, ZxCommand& command, ZxWorkIdList& workIds) {
  return guardedOperation([&] {
    command.setAction(code);
    ZxResult result;
    const bool ok = runCommand(command, result);
    moveListItems<ZxWorkIdList, ZxWorkId>(result.workIdList(), workIds);
    return ok;
  });
}

bool runCallbackCommand(int code, ZxCommand& command, ZxCallbackIdList& callbackIds) {
  return guardedOperation([&] {
    command.setAction(code);
    ZxResult result;
    const bool ok = runCommand(command, result);
    moveListItems<ZxCallbackIdList, ZxCallbackId>(result.callbackIdList(), callbackIds);
    return ok;
  });
}

bool removeJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kRemoveJob, command, jobIds);
}
bool killJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kKillJob, command, jobIds);
}
bool interruptJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kInterruptJob, command, jobIds);
}
bool preemptJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kPreemptJob, command, jobIds);
}
bool blockJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kBlockJob, command, jobIds);
}
bool unblockJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kUnblockJob, command, jobIds);
}
bool suspendJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kSuspendJob, command, jobIds);
}
bool resumeJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kResumeJob, command, jobIds);
}
bool requeueJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kRequeueJob, command, jobIds);
}
bool retryJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kRetryJob, command, jobIds);
}
bool migrateJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kMigrateJob, command, jobIds);
}
bool shoveJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kShoveJob, command, jobIds);
}
bool retireJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kRetireJob, command, jobIds);
}
bool resetJobs(ZxCommand& command, ZxJobIdList& jobIds) {
  return runJobCommand(ZxCommandCode::kResetJob, command, jobIds);
}

bool retryWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kRetryWork, command, workIds);
}
bool killWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kKillWork, command, workIds);
}
bool interruptWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kInterruptWork, command, workIds);
}
bool preemptWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kPreemptWork, command, workIds);
}
bool blockWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kBlockWork, command, workIds);
}
bool unblockWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kUnblockWork, command, workIds);
}
bool suspendWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kSuspendWork, command, workIds);
}
bool resumeWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kResumeWork, command, workIds);
}
bool requeueWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kRequeueWork, command, workIds);
}
bool completeWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kCompleteWork, command, workIds);
}
bool retireWork(ZxCommand& command, ZxWorkIdList& workIds) {
  return runWorkCommand(ZxCommandCode::kRetireWork, command, workIds);
}

bool callbackCommand(ZxCommand& command, ZxCallbackIdList& callbackIds) {
  return runCallbackCommand(ZxCommandCode::kCallback, command, callbackIds);
}
