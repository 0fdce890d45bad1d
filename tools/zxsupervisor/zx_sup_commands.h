// The job and work commands of the local supervisor: what each command
// code does to a whole job, to one subjob and to one work item, and the
// modify request's fields.
//
// A command applies to a target in some states only; applying it answers
// whether it did (the target is then counted as affected). In short:
//
//   remove     any job: the job is deleted (its number is never reused)
//   kill/fail  active targets end killed / failed; their active work too
//   interrupt, preempt, migrate
//              active targets give their running work back (it waits again)
//   block      pending or running jobs and subjobs take no new work
//              (running work goes on); pending work items are blocked
//   unblock    blocked targets wait again
//   suspend    active targets pause; their running work is suspended
//   resume     suspended targets and work wait again
//   requeue, resubmit, reset
//              any target starts over: all its work waits again, times and
//              (reset) counters cleared
//   retry      failed or killed work waits again
//   retire     active jobs take no new work: their waiting work ends
//              killed, running work finishes; a retired subjob completes
//              and gives its work back
//   complete   (work) active items are complete
//   bump       any job's priority moves up (direction 1) or down (2) by
//              diff (at least 1), never below 0
//   shove      refused: this supervisor has no hosts to push jobs onto
//   modify     see applyModify()
//
// Work items freed from a subjob leave it idle (pending), so the
// simulation gives it the next item.
#pragma once

#include <cstdint>

#include "model/zx_field.h"
#include "model/zx_job.h"
#include "util/zx_string.h"

namespace zxsup {

namespace Code {
enum : int {
  kRemoveJob = 201,
  kKillJob = 207,
  kInterruptJob = 208,
  kPreemptJob = 209,
  kBlockJob = 210,
  kModifyJob = 211,
  kUnblockJob = 215,
  kSuspendJob = 216,
  kResumeJob = 217,
  kRequeueJob = 219,
  kRetryJob = 220,
  kResubmitJob = 221,
  kBumpJob = 223,
  kMigrateJob = 224,
  kShoveJob = 225,
  kFailJob = 226,
  kRetireJob = 227,
  kResetJob = 231,
  kRetryWork = 604,
  kKillWork = 605,
  kInterruptWork = 606,
  kPreemptWork = 607,
  kBlockWork = 608,
  kModifyWork = 609,
  kUnblockWork = 610,
  kSuspendWork = 611,
  kResumeWork = 612,
  kRequeueWork = 613,
  kCompleteWork = 614,
  kRetireWork = 615,
};
}  // namespace Code

// The command's name for the log ("kill", "retry work"); null for a code
// that names no command of this supervisor.
const char* commandName(int code);
bool isJobCommand(int code);
bool isWorkCommand(int code);

// Job commands on a whole job (not remove, modify, bump or shove, which
// the caller handles). True when the job was in a state the command
// applies to.
bool applyToJob(int code, ZxJob& job, int64_t now);
// A job command on one subjob.
bool applyToSubjob(int code, ZxJob& job, ZxSubjob& subjob, int64_t now);
// A work command on one item (not modify work).
bool applyToWork(int code, ZxJob& job, ZxWork& work, int64_t now);
// Bump: priority up (direction 1) or down (2) by diff, at least 1, never
// below 0. False for another direction.
bool bumpJob(ZxJob& job, int direction, int diff, int64_t now);

// Checks the names of a modify request's fields; false with `error`
// naming the first unknown one. Known: priority, name, cluster, kind,
// account, restrictions, requirements, reservations, groups, hosts,
// hostorder (host_order), timeout, cpus, label, notes, mail_address
// (mailaddress), flags, queue, dependency, omit_hosts, omit_groups,
// retry_work, retry_subjob, local_order, global_order, deadline.
bool checkModifyFields(const ZxFieldList& fields, ZxString& error);
// Copies the named fields from `values` into `job` (names checked first).
// Changing cpus adds pending subjobs or removes the last ones, giving
// their work back. False with `error` when a value is out of range (cpus).
bool applyModify(ZxJob& job, const ZxJob& values, const ZxFieldList& fields, int64_t now, ZxString& error);

}  // namespace zxsup
