// The process-wide log sink, built with the system's clock and host name
// (the log itself stands below the OS layer; see util/zx_log.h).
#include "os/zx_os_host.h"
#include "util/zx_log.h"

ZxLog& ZxLog::log() {
  static ZxLog sink(&ZxOsHost::localTimeNow, &ZxOsHost::hostName, nullptr);
  return sink;
}

namespace {
// Builds the process-wide sink while the module loads, before the statics
// that may log from their destructors, so that it is destroyed after them.
ZxLog& g_loadTimeSink = ZxLog::log();
}  // namespace
