// The command table: MEL names and creators, in the order they are registered.
#include "plugin/zx_command_table.h"

#include "plugin/zx_job_commands.h"
#include "plugin/zx_job_control_commands.h"
#include "plugin/zx_jobtype_commands.h"
#include "plugin/zx_package_commands.h"
#include "plugin/zx_range_commands.h"
#include "plugin/zx_version_command.h"

namespace {
const ZxCommandEntry kCommands[] = {
    {"zxremove", zxRemove::creator},
    {"zxmodify", zxModify::creator},
    {"zxkill", zxKill::creator},
    {"zxretire", zxRetire::creator},
    {"zxinterrupt", zxInterrupt::creator},
    {"zxpreempt", zxPreempt::creator},
    {"zxblock", zxBlock::creator},
    {"zxunblock", zxUnblock::creator},
    {"zxsuspend", zxSuspend::creator},
    {"zxresume", zxResume::creator},
    {"zxrequeue", zxRequeue::creator},
    {"zxretry", zxRetry::creator},
    {"zxjobinfo", zxJobinfo::creator},
    {"zxsubmit", zxSubmit::creator},
    {"zxpack", zxPackageString::creator},
    {"zxunpack", zxUnPackageString::creator},
    {"zxrangesplit", zxRangesplit::creator},
    {"zxrangechunk", zxRangechunk::creator},
    {"zxgenframes", zxGenframes::creator},
    {"zxgenchunks", zxGenchunks::creator},
    {"zxjobconfig", zxJobconfig::creator},
    {"zxjobtypeavailable", zxJobtypeavailable::creator},
    {"zxarchivejob", zxArchivejob::creator},
    {"zxversion", zxVersion::creator},
    {"zxjobflagint", zxJobflagint::creator},
};
}  // namespace

const ZxCommandEntry* zxCommandTable() { return kCommands; }
int zxCommandCount() { return static_cast<int>(sizeof kCommands / sizeof kCommands[0]); }
