// Supervisor discovery: the cached supervisor, then the broadcast.
#include "net/zx_discovery.h"

#include <new>

#include "model/zx_domain.h"
#include "net/zx_client.h"
#include "net/zx_request.h"
#include "net/zx_supervisor_cache.h"
#include "util/zx_out_of_memory.h"

namespace zxdiscovery {

CacheResult tryCachedSupervisor(ZxClient& client, int port, ZxMessage& request, ZxMessage& reply) {
  ZxString cached;
  if (!zxcache::readCachedSupervisor(client.userName(), cached)) return CacheResult::kGoOn;
  if (!client.exchange(cached, port, request, reply)) return CacheResult::kGoOn;
  if (reply.tag() != ZxClient::kTagRedirect) return CacheResult::kAnswered;
  return client.followRedirect(port, request, reply) ? CacheResult::kAnswered : CacheResult::kFailed;
}

bool discover(ZxClient& client, int port, ZxMessage& request, ZxMessage& reply) {
  const ZxConfig& config = client.config();
  ZxDomain domain(config.domain(), config.region());
  ZxRequest question(ZxClient::kTagDiscovery, &domain);
  ZxMessage answer;
  if (!client.broadcastExchange(port, question.message(), answer)) return false;

  const ZxString responder = answer.senderAddress().dottedText();
  ZxHostNameList& list = client.supervisors();
  bool known = false;
  for (int i = 0; i < list.count() && !known; ++i)
    if (const ZxHostName* entry = list.get(i)) known = entry->host() == responder;
  if (!known) list.append(zxNew<ZxHostName>(responder, 0, -1));
  // A cache that cannot be written only means the next operation asks again.
  zxcache::writeCachedSupervisor(client.userName(), responder);

  if (!client.exchange(responder, port, request, reply)) return false;
  if (reply.tag() != ZxClient::kTagRedirect) return true;
  return client.followRedirect(port, request, reply);
}

}  // namespace zxdiscovery
