// The log categories: bit i of the log mask (util/zx_log.h) is category i.
// The log needs only the numbers; their names and the conversion of names
// to masks live with the other flag tables (model/zx_flags.h).
#pragma once

namespace LogCategory {
enum : int {
  kStartup = 0x1,
  kWork = 0x2,
  kSubjob = 0x4,
  kJob = 0x8,
  kHost = 0x10,
  kLog = 0x20,
  kAdmin = 0x40,
  kCommand = 0x80,
  kQuery = 0x100,
  kSync = 0x200,
  kQueue = 0x400,
  kCallback = 0x800,
  kDebug = 0x1000,
  kError = 0x2000,
  kWarning = 0x4000,
  kSecurity = 0x8000,
  kAuth = 0x10000,
  kPreempt = 0x20000,
  kMemory = 0x40000,
  kWeb = 0x80000,
  kInfo = 0x100000,
  kLicense = 0x200000,
  kFile = 0x400000,
};
}  // namespace LogCategory
