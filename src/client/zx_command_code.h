// The job and work command codes: the request tag of each command and the
// names by which client interfaces know them ("ZX_COMMAND_KILL_JOB" is
// 207). Code 208 (interrupt a job) and 802 (a callback command) have no
// name. isAcceptedCommand() is the set runCommand() sends.
#pragma once

#include "util/zx_string.h"

namespace ZxCommandCode {
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
  kBumpUp = 290,    // sent as a bump command (223) with direction 1
  kBumpDown = 291,  // sent as a bump command (223) with direction 2
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
  kCallback = 802,
};
}  // namespace ZxCommandCode

// The code of the command named `name` (compared exactly); 0 for a name
// the table does not hold.
int commandCode(const ZxString& name);

// Whether runCommand() sends `code`: 201, 207 to 211, 215 to 217, 219 to
// 221, 223 to 227, 231, 290, 291, 604 to 615 and 802.
bool isAcceptedCommand(int code);
