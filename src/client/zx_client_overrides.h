// The two process-wide overrides of the client operations: a supervisor
// host that replaces the route's choice (empty: none) and an exchange time
// limit in milliseconds (below 1: none, client_timeout applies). Tools set
// them; the plug-in never does, so its operations use the configured
// supervisors and client_timeout.
//
// Plain process-wide values without a lock: the library runs on one
// thread.
#pragma once

#include "util/zx_string.h"

class ZxClient;

void setSupervisorOverride(const ZxString& host);
const ZxString& supervisorOverride();

void setTimeoutOverride(int ms);
int timeoutOverride();

// Prepares a client context for an operation: the supervisor override as
// its explicit supervisor, and the time-out override when it is 1 or more,
// else the configured client_timeout, as its time limit.
void applyOverrides(ZxClient& client);
