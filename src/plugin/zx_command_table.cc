// The command table: MEL names and creators, in the order they are registered.
// The creators make each command behind the command boundary.
#include "plugin/zx_command_table.h"

#include "plugin/zx_command_guard.h"
#include "plugin/zx_job_commands.h"
#include "plugin/zx_job_control_commands.h"
#include "plugin/zx_jobtype_commands.h"
#include "plugin/zx_package_commands.h"
#include "plugin/zx_range_commands.h"
#include "plugin/zx_version_command.h"

namespace {
// Every command is registered behind the command boundary (zx_command_guard.h),
// which needs its MEL name for the error it shows.
constexpr char kZxremove[] = "zxremove";
constexpr char kZxmodify[] = "zxmodify";
constexpr char kZxkill[] = "zxkill";
constexpr char kZxretire[] = "zxretire";
constexpr char kZxinterrupt[] = "zxinterrupt";
constexpr char kZxpreempt[] = "zxpreempt";
constexpr char kZxblock[] = "zxblock";
constexpr char kZxunblock[] = "zxunblock";
constexpr char kZxsuspend[] = "zxsuspend";
constexpr char kZxresume[] = "zxresume";
constexpr char kZxrequeue[] = "zxrequeue";
constexpr char kZxretry[] = "zxretry";
constexpr char kZxjobinfo[] = "zxjobinfo";
constexpr char kZxsubmit[] = "zxsubmit";
constexpr char kZxpack[] = "zxpack";
constexpr char kZxunpack[] = "zxunpack";
constexpr char kZxrangesplit[] = "zxrangesplit";
constexpr char kZxrangechunk[] = "zxrangechunk";
constexpr char kZxgenframes[] = "zxgenframes";
constexpr char kZxgenchunks[] = "zxgenchunks";
constexpr char kZxjobconfig[] = "zxjobconfig";
constexpr char kZxjobtypeavailable[] = "zxjobtypeavailable";
constexpr char kZxarchivejob[] = "zxarchivejob";
constexpr char kZxversion[] = "zxversion";
constexpr char kZxjobflagint[] = "zxjobflagint";

const ZxCommandEntry kCommands[] = {
    {kZxremove, ZxGuarded<zxRemove, kZxremove>::creator},
    {kZxmodify, ZxGuarded<zxModify, kZxmodify>::creator},
    {kZxkill, ZxGuarded<zxKill, kZxkill>::creator},
    {kZxretire, ZxGuarded<zxRetire, kZxretire>::creator},
    {kZxinterrupt, ZxGuarded<zxInterrupt, kZxinterrupt>::creator},
    {kZxpreempt, ZxGuarded<zxPreempt, kZxpreempt>::creator},
    {kZxblock, ZxGuarded<zxBlock, kZxblock>::creator},
    {kZxunblock, ZxGuarded<zxUnblock, kZxunblock>::creator},
    {kZxsuspend, ZxGuarded<zxSuspend, kZxsuspend>::creator},
    {kZxresume, ZxGuarded<zxResume, kZxresume>::creator},
    {kZxrequeue, ZxGuarded<zxRequeue, kZxrequeue>::creator},
    {kZxretry, ZxGuarded<zxRetry, kZxretry>::creator},
    {kZxjobinfo, ZxGuarded<zxJobinfo, kZxjobinfo>::creator},
    {kZxsubmit, ZxGuarded<zxSubmit, kZxsubmit>::creator},
    {kZxpack, ZxGuarded<zxPackageString, kZxpack>::creator},
    {kZxunpack, ZxGuarded<zxUnPackageString, kZxunpack>::creator},
    {kZxrangesplit, ZxGuarded<zxRangesplit, kZxrangesplit>::creator},
    {kZxrangechunk, ZxGuarded<zxRangechunk, kZxrangechunk>::creator},
    {kZxgenframes, ZxGuarded<zxGenframes, kZxgenframes>::creator},
    {kZxgenchunks, ZxGuarded<zxGenchunks, kZxgenchunks>::creator},
    {kZxjobconfig, ZxGuarded<zxJobconfig, kZxjobconfig>::creator},
    {kZxjobtypeavailable, ZxGuarded<zxJobtypeavailable, kZxjobtypeavailable>::creator},
    {kZxarchivejob, ZxGuarded<zxArchivejob, kZxarchivejob>::creator},
    {kZxversion, ZxGuarded<zxVersion, kZxversion>::creator},
    {kZxjobflagint, ZxGuarded<zxJobflagint, kZxjobflagint>::creator},
};
}  // namespace

const ZxCommandEntry* zxCommandTable() { return kCommands; }
int zxCommandCount() { return static_cast<int>(sizeof kCommands / sizeof kCommands[0]); }
