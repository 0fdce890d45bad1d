// The twelve job control commands. Each reads its job ids and filters
// (plugin/zx_job_arguments.h) into a command record, sends it with the one
// client operation of its row in kJobControls, and answers the ids of the
// jobs the supervisor reports as affected, in the supervisor's order: "12"
// for a whole job, "13.2" for a subjob. zxmodify first reads its modify
// hash (argument 0) and takes its job ids from argument 1 on.
#include "plugin/zx_job_control_commands.h"

#include <maya/MString.h>

#include <memory>
#include <new>

#include "client/zx_job_operations.h"
#include "client/zx_modify_jobs.h"
#include "model/zx_job_id_list.h"
#include "model/zx_modify_command.h"
#include "plugin/zx_command_replies.h"
#include "plugin/zx_job_arguments.h"
#include "plugin/zx_job_hash.h"
#include "util/zx_string.h"

namespace {

using JobOperation = bool (*)(ZxCommand& command, ZxJobIdList& jobIds);

bool modifyOperation(ZxCommand& command, ZxJobIdList& jobIds) {
  // Only zxmodify's row names this operation, and it always passes the
  // modify request it built.
  return modifyJobs(static_cast<ZxModifyCommand&>(command), jobIds);
}

struct JobControl {
  const char* melName;
  JobOperation operation;
};

// The rows of kJobControls, in the same order.
enum Row {
  kRemove,
  kModify,
  kKill,
  kRetire,
  kInterrupt,
  kPreempt,
  kBlock,
  kUnblock,
  kSuspend,
  kResume,
  kRequeue,
  kRetry,
  kRowCount
};

const JobControl kJobControls[] = {
    {"zxremove", removeJobs}, {"zxmodify", modifyOperation},  {"zxkill", killJobs},
    {"zxretire", retireJobs}, {"zxinterrupt", interruptJobs}, {"zxpreempt", preemptJobs},
    {"zxblock", blockJobs},   {"zxunblock", unblockJobs},     {"zxsuspend", suspendJobs},
    {"zxresume", resumeJobs}, {"zxrequeue", requeueJobs},     {"zxretry", retryJobs},
};
static_assert(sizeof kJobControls / sizeof kJobControls[0] == kRowCount, "one row per command");

// Sends the request with the row's operation and answers the affected ids.
MStatus sendJobCommand(const JobControl& row, ZxCommand& request) {
  request.setRestrictions(false);
  ZxJobIdList affected;
  if (!row.operation(request, affected)) {
    showSupervisorFailure();
    return MStatus::kFailure;
  }
  setEmptyListResult();
  ZxString text;
  for (int i = 0; i < affected.count(); ++i) {
    const ZxJobId* id = affected.get(i);
    if (!id) continue;
    text.clear();
    text.appendInt(id->id());
    if (id->subId() >= 0) text.append('.').appendInt(id->subId());
    MPxCommand::appendToResult(MString(text.c_str(), text.length()));
  }
  return MStatus::kSuccess;
}

MStatus runJobControl(Row which, const MArgList& args) {
  const JobControl& row = kJobControls[which];
  MStatus answer;
  if (which == kModify) {
    const MString hash = args.asString(0);
    std::unique_ptr<ZxModifyCommand> request(
        hashToModifyRequest(ZxString(hash.asChar(), static_cast<int>(hash.length()))));
    if (!request) {
      MPxCommand::displayError("out of memory");
      return MStatus::kFailure;
    }
    if (!readJobArguments(args, 1, *request, row.melName, answer)) return answer;
    return sendJobCommand(row, *request);
  }
  ZxCommand request;
  if (!readJobArguments(args, 0, request, row.melName, answer)) return answer;
  return sendJobCommand(row, request);
}

}  // namespace

#define ZX_JOB_CONTROL(Class, row)                            \
  void* Class::creator() { return new (std::nothrow) Class; } \
  MStatus Class::doIt(const MArgList& args) { return runJobControl(row, args); }

ZX_JOB_CONTROL(zxRemove, kRemove)
ZX_JOB_CONTROL(zxModify, kModify)
ZX_JOB_CONTROL(zxKill, kKill)
ZX_JOB_CONTROL(zxRetire, kRetire)
ZX_JOB_CONTROL(zxInterrupt, kInterrupt)
ZX_JOB_CONTROL(zxPreempt, kPreempt)
ZX_JOB_CONTROL(zxBlock, kBlock)
ZX_JOB_CONTROL(zxUnblock, kUnblock)
ZX_JOB_CONTROL(zxSuspend, kSuspend)
ZX_JOB_CONTROL(zxResume, kResume)
ZX_JOB_CONTROL(zxRequeue, kRequeue)
ZX_JOB_CONTROL(zxRetry, kRetry)

#undef ZX_JOB_CONTROL
