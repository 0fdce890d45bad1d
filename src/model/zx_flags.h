// Every flag set and enumeration of the job data model: named constants, and
// the conversions between values and their names.
//
// Flag sets (one bit per name): toNames(value) lists the set bits' names in
// the set's text order joined with "," ("0" when none is set), and
// fromNames(text) reads such a list back (a numeric text gives its number).
// Enumerations (one whole value per name): nameOf(value) and valueOf(name),
// with a fixed name and value for anything outside the table.
//
// The tables are static data in model/zx_flags.cc; table() exposes each one
// for callers that walk the names (for example to list them in a message).
#pragma once

#include "model/zx_flag_table.h"
#include "util/zx_log_category.h"
#include "util/zx_string.h"

#define ZX_FLAG_SET_FUNCTIONS                                           \
  const ZxFlagTable& table();                                           \
  inline ZxString toNames(int value) { return table().toNames(value); } \
  inline int fromNames(const ZxString& text) { return table().fromNames(text); }

#define ZX_ENUM_FUNCTIONS                                                \
  const ZxEnumTable& table();                                            \
  inline const char* nameOf(int value) { return table().nameOf(value); } \
  inline int valueOf(const ZxString& name) { return table().valueOf(name); }

// ---- Flag sets ----------------------------------------------------------------

// The log categories (util/zx_log_category.h) with their names.
namespace LogCategory {
ZX_FLAG_SET_FUNCTIONS
}  // namespace LogCategory

// The supervisor's run state, set and cleared by administrative orders.
namespace SupervisorState {
enum : int { kRejectSubmit = 0x1, kStopActivity = 0x2, kEnforcePassword = 0x4 };
ZX_FLAG_SET_FUNCTIONS
}  // namespace SupervisorState

// The flags of a worker host.
namespace WorkerFlag {
enum : int {
  kDedicated = 0x1,
  kDynamic = 0x2,
  kAutoMount = 0x4,
  kRemoveLogs = 0x8,
  kLoadProfile = 0x10,
  kSsl = 0x20,
  kRotateLogs = 0x40,
  kEnableWinbind = 0x80,
  kDisableQuickboot = 0x100,
};
ZX_FLAG_SET_FUNCTIONS
}  // namespace WorkerFlag

// The flags of the supervisor.
namespace SupervisorFlag {
enum : int {
  kEnforcePassword = 0x1,
  kHostRecontact = 0x2,
  kHeartbeatMonitor = 0x4,
  kCloneLogs = 0x8,
  kRemoveLogs = 0x10,
  kMaster = 0x20,
  kSsl = 0x40,
  kMulticast = 0x80,
  kSchedule = 0x100,
  kRotateLogs = 0x200,
  kStubOptimize = 0x400,
  kRunningMonitor = 0x800,
  kRetryBusy = 0x1000,
  kIgnoreDuplicatePeer = 0x2000,
  kEnableMaxConnections = 0x4000,
  kEnablePrediction = 0x8000,
  kDisableSubmitCheck = 0x10000,
  kArchiveJobs = 0x20000,
};
ZX_FLAG_SET_FUNCTIONS
}  // namespace SupervisorFlag

// A mask over callback languages (its bits are not the CallbackLanguage values).
namespace CallbackLanguageFlag {
enum : int { kZexa = 0x1, kPerl = 0x2, kPython = 0x4, kPost = 0x8, kMail = 0x10, kDependency = 0x20 };
ZX_FLAG_SET_FUNCTIONS
}  // namespace CallbackLanguageFlag

namespace KindFlag {
enum : int {
  kJob = 0x1,
  kSubjob = 0x2,
  kWork = 0x4,
  kCallback = 0x8,
  kUser = 0x10,
  kAdmin = 0x20,
  kMail = 0x40,
};
ZX_FLAG_SET_FUNCTIONS
}  // namespace KindFlag

namespace JobPartFlag {
enum : int { kJob = 0x1, kSubjob = 0x2, kWork = 0x4 };
ZX_FLAG_SET_FUNCTIONS
}  // namespace JobPartFlag

// The "client_flags" setting.
namespace ClientFlag {
enum : int { kSsl = 0x40, kRestrictDomain = 0x80 };
ZX_FLAG_SET_FUNCTIONS
}  // namespace ClientFlag

namespace LazyFlag {
enum : int { kLazy = 0x1, kLogTimes = 0x2 };
ZX_FLAG_SET_FUNCTIONS
}  // namespace LazyFlag

// The job's "flags" field. Bit 0x80 has no name. "uninterruptable" is read
// as a second spelling of "uninterruptible" and never written.
namespace JobFlag {
enum : int {
  kUninterruptible = 0x1,
  kMemoryHardLimit = 0x2,
  kGrid = 0x4,
  kAutoMount = 0x8,
  kExportEnvironment = 0x10,
  kExpand = 0x20,
  kThrifty = 0x40,
  kHostList = 0x100,
  kElite = 0x200,
  kMail = 0x400,
  kDisableWindowsJobObject = 0x800,
  kDisableCpuLimit = 0x1000,
  kDisableAutoComplete = 0x2000,
};
ZX_FLAG_SET_FUNCTIONS
// True when `text` is an integer, or a list whose every item is a job flag
// name (second spellings included); an empty text is valid.
inline bool isValidJobFlags(const ZxString& text) { return table().isValidText(text); }
}  // namespace JobFlag

// A user's rights. Bits 0x200000 to 0x4000000 have no name.
namespace Permission {
enum : int {
  kSubmitJob = 0x1,
  kSubmitCallback = 0x2,
  kSubmitGlobalCallback = 0x4,
  kBump = 0x8,
  kKill = 0x10,
  kRemove = 0x20,
  kModify = 0x40,
  kPreempt = 0x80,
  kBlock = 0x100,
  kInterrupt = 0x200,
  kComplete = 0x400,
  kUnblock = 0x800,
  kSuspend = 0x1000,
  kResume = 0x2000,
  kRetry = 0x4000,
  kRequeue = 0x8000,
  kMigrate = 0x10000,
  kShove = 0x20000,
  kFail = 0x40000,
  kRetire = 0x80000,
  kReset = 0x100000,
  kLockHost = 0x8000000,
  kSudoAdmin = 0x10000000,
  kImpersonate = 0x20000000,
  kAdmin = 0x40000000,
};
ZX_FLAG_SET_FUNCTIONS
}  // namespace Permission

// ---- Enumerations -------------------------------------------------------------

// The state of a job, subjob or work item. Bit 0x100 marks the active states;
// codes without it are done. Unknown values are named "none"; unknown names
// give 0.
namespace StatusCode {
enum : int {
  kNone = 0,
  kSaved = 5,
  kComplete = 0x10,
  kWarning = 0x15,
  kFailed = 0x20,
  kKilled = 0x30,
  kBlocked = 0x110,
  kPaused = 0x125,
  kSuspended = 0x130,
  kPending = 0x140,
  kWaiting = 0x143,
  kBadlogin = 0x145,
  kRunning = 0x150,
  kActiveBit = 0x100,
};
ZX_ENUM_FUNCTIONS
}  // namespace StatusCode

// A callback's "language" field. Unknown values are named "unknown"; unknown
// names give kUnknown (5).
namespace CallbackLanguage {
enum : int {
  kPerl = 1,
  kPython = 2,
  kTcl = 3,
  kZexa = 4,
  kUnknown = 5,
  kPost = 6,
  kMail = 7,
  kDependency = 8
};
ZX_ENUM_FUNCTIONS
}  // namespace CallbackLanguage

// The category of a trigger event. Unknown values are named "unknown";
// unknown names give kUnknown (4).
namespace EventCategory {
enum : int {
  kJob = 0,
  kSubjob = 1,
  kWork = 2,
  kUnknown = 4,
  kVariable = 5,
  kClient = 6,
  kTime = 8,
  kRepeat = 16,
  kGlobal = 128,
  kGlobalTime = 136,
  kGlobalRepeat = 152,
};
ZX_ENUM_FUNCTIONS
}  // namespace EventCategory

// The kind of a resource. 0 is the kind of a resource whose kind name was
// not recognised (named "unknown").
namespace ResourceKind {
enum : int {
  kNotRecognised = 0,
  kUnlimited = 1,
  kHost = 2,
  kGlobal = 3,
  kScoped = 4,
  kLicense = 5,
  kScopedLicense = 6
};
ZX_ENUM_FUNCTIONS
}  // namespace ResourceKind

// The scope of a variable. 0 when the scope name was not recognised (named
// "unknown").
namespace VariableScope {
enum : int { kNotRecognised = 0, kJob = 1, kGlobal = 2, kHost = 0x100, kScoped = 0x101 };
ZX_ENUM_FUNCTIONS
}  // namespace VariableScope

#undef ZX_FLAG_SET_FUNCTIONS
#undef ZX_ENUM_FUNCTIONS
