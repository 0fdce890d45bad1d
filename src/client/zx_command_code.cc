// The command name table and the accepted codes.
#include "client/zx_command_code.h"

#include <cstring>

namespace {

struct Named {
  const char* name;
  int code;
};

const Named kNames[] = {
    {"ZX_COMMAND_REMOVE_JOB", 201},    {"ZX_COMMAND_KILL_JOB", 207},       {"ZX_COMMAND_PREEMPT_JOB", 209},
    {"ZX_COMMAND_BLOCK_JOB", 210},     {"ZX_COMMAND_MODIFY_JOB", 211},     {"ZX_COMMAND_UNBLOCK_JOB", 215},
    {"ZX_COMMAND_SUSPEND_JOB", 216},   {"ZX_COMMAND_RESUME_JOB", 217},     {"ZX_COMMAND_REQUEUE_JOB", 219},
    {"ZX_COMMAND_RETRY_JOB", 220},     {"ZX_COMMAND_RESUBMIT_JOB", 221},   {"ZX_COMMAND_BUMP_JOB", 223},
    {"ZX_COMMAND_MIGRATE_JOB", 224},   {"ZX_COMMAND_SHOVE_JOB", 225},      {"ZX_COMMAND_FAIL_JOB", 226},
    {"ZX_COMMAND_RETIRE_JOB", 227},    {"ZX_COMMAND_RESET_JOB", 231},      {"ZX_COMMAND_RETRY_WORK", 604},
    {"ZX_COMMAND_KILL_WORK", 605},     {"ZX_COMMAND_INTERRUPT_WORK", 606}, {"ZX_COMMAND_PREEMPT_WORK", 607},
    {"ZX_COMMAND_BLOCK_WORK", 608},    {"ZX_COMMAND_MODIFY_WORK", 609},    {"ZX_COMMAND_UNBLOCK_WORK", 610},
    {"ZX_COMMAND_SUSPEND_WORK", 611},  {"ZX_COMMAND_RESUME_WORK", 612},    {"ZX_COMMAND_REQUEUE_WORK", 613},
    {"ZX_COMMAND_COMPLETE_WORK", 614}, {"ZX_COMMAND_RETIRE_WORK", 615},
};

}  // namespace

int commandCode(const ZxString& name) {
  for (const Named& entry : kNames)
    if (static_cast<size_t>(name.length()) == std::strlen(entry.name) && name == entry.name)
      return entry.code;
  return 0;
}

bool isAcceptedCommand(int code) {
  return code == 201 || (code >= 207 && code <= 211) || (code >= 215 && code <= 217) ||
         (code >= 219 && code <= 221) || (code >= 223 && code <= 227) || code == 231 || code == 290 ||
         code == 291 || (code >= 604 && code <= 615) || code == 802;
}
