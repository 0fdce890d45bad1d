// modifyJobs(): a modify command through the command exchange.
#include "client/zx_modify_jobs.h"

#include "client/zx_command_code.h"
#include "client/zx_move_items.h"
#include "client/zx_operation_guard.h"
#include "client/zx_run_command.h"
#include "model/zx_result.h"

bool modifyJobs(ZxModifyCommand& modify, ZxJobIdList& jobIds) {
  return guardedOperation([&] {
    modify.setAction(ZxCommandCode::kModifyJob);
    ZxResult result;
    const bool ok = sendCommandRecord(ZxCommandCode::kModifyJob, modify, result);
    moveListItems<ZxJobIdList, ZxJobId>(result.jobIdList(), jobIds);
    return ok;
  });
}
