// Supervisor discovery: the two sources the supervisor route falls back to
// after the configured supervisors, in this order:
//   1. the cached supervisor of the last discovery (net/zx_supervisor_cache.h);
//   2. a broadcast asking which supervisor serves the queue domain: a
//      message with tag 401 whose content is a ZxDomain (the configured
//      domain and region, number -1), sent as a datagram on the route's
//      port. The responder's address is added once to the context's
//      supervisor list, remembered in the cache file, and sent the caller's
//      request.
// A redirect from either is followed as the route does (one redirect).
#pragma once

#include "message/zx_message.h"

class ZxClient;

namespace zxdiscovery {

enum class CacheResult {
  kAnswered,  // the cached supervisor answered (directly or by its redirect)
  kFailed,    // it redirected, and the redirect failed: the route ends
  kGoOn,      // no fresh cache, or its supervisor did not answer
};

// Step 1 on `port`.
CacheResult tryCachedSupervisor(ZxClient& client, int port, ZxMessage& request, ZxMessage& reply);

// Step 2 on `port`: true when the discovered supervisor answered.
bool discover(ZxClient& client, int port, ZxMessage& request, ZxMessage& reply);

}  // namespace zxdiscovery
