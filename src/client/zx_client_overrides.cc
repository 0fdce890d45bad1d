// The process-wide supervisor and time-out overrides.
#include "client/zx_client_overrides.h"

#include "net/zx_client.h"

namespace {

struct Overrides {
  ZxString supervisor;
  int timeoutMs = 0;
};

Overrides& overrides() {
  static Overrides o;
  return o;
}

}  // namespace

void setSupervisorOverride(const ZxString& host) { overrides().supervisor = host; }
const ZxString& supervisorOverride() { return overrides().supervisor; }

void setTimeoutOverride(int ms) { overrides().timeoutMs = ms; }
int timeoutOverride() { return overrides().timeoutMs; }

void applyOverrides(ZxClient& client) {
  client.setSupervisor(overrides().supervisor);
  const int override = overrides().timeoutMs;
  client.setTimeout(override >= 1 ? override : client.config().clientTimeout());
}
