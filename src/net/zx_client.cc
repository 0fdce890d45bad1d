// ZxClient: stamping, the round with one host, the supervisor route, the
// datagram round and the one-way sends.
#include "net/zx_client.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <new>

#include "model/zx_mac_address.h"
#include "net/zx_connection.h"
#include "net/zx_discovery.h"
#include "net/zx_listener.h"
#include "os/zx_os_adapters.h"
#include "os/zx_os_clock.h"
#include "os/zx_os_user.h"
#include "serial/zx_coding.h"
#include "util/zx_byte_buffer.h"
#include "util/zx_log.h"
#include "util/zx_out_of_memory.h"

namespace zxclient {

int pauseAfterRefusal(int span) {
  const long long r = zxos::randomNumber();
  return static_cast<int>(r * span / (zxos::kRandomMax + 1LL)) + 1;
}

void logLine(const ZxString& line) {
  ZxLog& log = ZxLog::log();
  log.lock();
  log << line;
  log.unlock();
}

}  // namespace zxclient

namespace {

// "<prefix><host> - <error text>.\n", the shape of the round's log lines.
ZxString failureLine(const char* prefix, const ZxString& host, const ZxErr& error) {
  ZxString line(prefix);
  line.append(host).append(" - ").append(error.message()).append(".\n");
  return line;
}

// Empties a reply before a frame is decoded into it, so that nothing of an
// earlier attempt (a content the new reply does not carry) survives.
void clearReply(ZxMessage& reply) {
  reply.releaseContent();
  reply = ZxMessage();
}

// Decodes one received payload into the reply; a damaged payload leaves
// whatever could be read.
void decodeReply(const ZxByteBuffer& payload, const ZxAddress& sender, ZxMessage& reply) {
  clearReply(reply);
  reply.unpack(payload.data(), static_cast<int>(payload.size()));
  reply.setSenderAddress(sender);
}

// The host a redirect names: the first field of its content, when that is
// a string. The content is encoded again and its first field read, so any
// record class whose first field is the host name serves.
ZxString redirectHost(ZxPack& content) {
  ZxString host;
  const int n = content.pack();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(content.buffer());
  // Version word, field id, field type, string count, then the string.
  if (n >= 12 && zxcoding::getBE16(p + 6) == ZxPack::kTypeString) {
    const int32_t length = zxcoding::toSigned32(zxcoding::getBE32(p + 8));
    if (length > 0 && length <= n - 12) host.assign(reinterpret_cast<const char*>(p + 12), length);
  }
  content.releaseBuffer();
  return host;
}

long long steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int connectLimit(int timeoutMs) {
  return timeoutMs >= 0 && timeoutMs < ZxClient::kConnectLimitMs ? timeoutMs : ZxClient::kConnectLimitMs;
}

}  // namespace

ZxClient::ZxClient() {
  for (int i = 0; i < config_.supervisors().count(); ++i)
    if (const ZxHostName* entry = config_.supervisors().get(i))
      supervisors_.append(zxNew<ZxHostName>(*entry));
}

ZxClient::~ZxClient() = default;

const ZxString& ZxClient::effectiveDomain() const { return domain_.isEmpty() ? config_.domain() : domain_; }

// ---- stamping ----------------------------------------------------------------------

void ZxClient::lookUpSender() {
  if (senderKnown_) return;
  senderKnown_ = true;
  if (!zxos::userName(user_)) user_.clear();
  userDomain_ = config_.clientDomain();
  hardwareAddress_ = zxos::hardwareAddress();
}

const ZxString& ZxClient::userName() {
  lookUpSender();
  return user_;
}

void ZxClient::stamp(ZxMessage& request) {
  lookUpSender();
  request.setUser(user_);
  request.setDomain(userDomain_);
  request.setMacAddress(ZxMacAddress(hardwareAddress_));
  request.setZexaDomain(effectiveDomain());
  request.setZexaRegion(config_.region());
}

bool ZxClient::encode(ZxMessage& request) {
  stamp(request);
  if (request.pack() > 0) return true;
  error_ = ZxErr(ZxConnection::kNoMemory);
  return false;
}

// ---- one round ---------------------------------------------------------------------

bool ZxClient::exchange(const ZxString& host, int port, ZxMessage& request, ZxMessage& reply) {
  rejected_ = false;
  if (host.isEmpty()) return false;
  lastHost_ = host;
  ZxConnection connection(host, port, ZxConnection::kTcp, connectLimit(timeout_));
  connection.setTimeout(timeout_);
  if (!connection.isActive()) {
    ZxString line("ERROR: unable to establish ");
    line.append(connection.kindName()).append(" connection with ");
    zxclient::logLine(failureLine(line.c_str(), host, connection.error()));
    copyError(connection.error());
    return false;
  }
  if (!encode(request)) {
    zxclient::logLine(failureLine("ERROR: unable to transmit to ", host, error_));
    return false;
  }
  const long long sent = connection.send(request.buffer(), static_cast<size_t>(request.used()));
  request.releaseBuffer();
  if (sent <= 0) {
    zxclient::logLine(failureLine("ERROR: unable to transmit to ", host, connection.error()));
    copyError(connection.error());
    return false;
  }
  ZxByteBuffer payload;
  if (!connection.receive(payload)) {
    zxclient::logLine(failureLine("ERROR: unable to receive from ", host, connection.error()));
    copyError(connection.error());
    return false;
  }
  decodeReply(payload, connection.peer(), reply);
  payload.reset();
  connection.close();

  if (reply.tag() == kTagNoResult) {
    zxos::pauseSeconds(zxclient::pauseAfterRefusal(10));
    return false;
  }
  if (reply.tag() == kTagRejected) {
    ZxString line("ERROR: max connections reached for ");
    line.append(host).append(" - connection rejected.\n");
    zxclient::logLine(line);
    rejected_ = true;
    // The connection itself did not fail; the error says why the round did.
    error_ = ZxErr(ZxListener::kRejected);
    zxos::pauseSeconds(zxclient::pauseAfterRefusal(10));
    return false;
  }
  return true;
}

// ---- the route ---------------------------------------------------------------------

bool ZxClient::followRedirect(int port, ZxMessage& request, ZxMessage& reply) {
  ZxPack* content = reply.content();
  if (!content || content->typeId() != reply.contentType()) return false;
  const ZxString host = redirectHost(*content);
  const ZxString from = lastHost_;
  if (!exchange(host, port, request, reply)) return false;
  if (reply.tag() != kTagRedirect) return true;
  // One redirect is followed; a second one would allow a loop.
  ZxString line("ERROR: redirect from ");
  line.append(host).append(" not followed - ").append(from).append(" redirected already.\n");
  zxclient::logLine(line);
  return false;
}

bool ZxClient::route(int port, ZxMessage& request, ZxMessage& reply) {
  request.setZexaDomain(effectiveDomain());
  if (!supervisor_.isEmpty()) return exchange(supervisor_, port, request, reply);

  const bool haveDomain = !effectiveDomain().isEmpty();
  const int n = supervisors_.count();
  if (n == 0 && !haveDomain) {
    std::fputs(
        "WARNING: zx_supervisor/zx_domain undefined in zx.conf or ZX_SUPERVISOR/ZX_DOMAIN undefined in  "
        "environment.\n",
        stderr);
    std::fflush(stderr);
    return false;
  }
  if (n > 0) {
    const int start =
        static_cast<int>(static_cast<long long>(zxos::randomNumber()) * n / (zxos::kRandomMax + 1LL));
    for (int k = 0; k < n; ++k) {
      const ZxHostName* entry = supervisors_.get((start + k) % n);
      if (!entry) continue;
      // Copied: a redirect or discovery must not see the entry change under it.
      const ZxString host = entry->host();
      const int entryPort = entry->port() != 0 ? entry->port() : port;
      const bool ok = exchange(host, entryPort, request, reply);
      if (ok && reply.tag() == kTagRedirect) return followRedirect(port, request, reply);
      if (ok) return true;
    }
  }
  switch (zxdiscovery::tryCachedSupervisor(*this, port, request, reply)) {
    case zxdiscovery::CacheResult::kAnswered:
      return true;
    case zxdiscovery::CacheResult::kFailed:
      return false;
    case zxdiscovery::CacheResult::kGoOn:
      break;
  }
  if (!haveDomain) return false;
  return zxdiscovery::discover(*this, port, request, reply);
}

bool ZxClient::callSupervisor(ZxMessage& request, ZxMessage& reply) {
  return route(config_.supervisorPort(), request, reply);
}

bool ZxClient::callSupervisorSub(ZxMessage& request, ZxMessage& reply) {
  return route(config_.supervisorSubPort(), request, reply);
}

bool ZxClient::callAt(const ZxString& host, int port, ZxMessage& request, ZxMessage& reply) {
  request.setZexaDomain(effectiveDomain());
  if (exchange(host, port, request, reply)) {
    if (reply.tag() != kTagRedirect) return true;
    return followRedirect(port, request, reply);
  }
  return route(port, request, reply);
}

bool ZxClient::callSupervisorAt(const ZxString& host, ZxMessage& request, ZxMessage& reply) {
  return callAt(host, config_.supervisorPort(), request, reply);
}

bool ZxClient::callSupervisorSubAt(const ZxString& host, ZxMessage& request, ZxMessage& reply) {
  return callAt(host, config_.supervisorSubPort(), request, reply);
}

bool ZxClient::callWorker(const ZxString& host, ZxMessage& request, ZxMessage& reply) {
  return exchange(host, config_.workerPort(), request, reply);
}

// ---- datagrams ---------------------------------------------------------------------

bool ZxClient::broadcastExchange(int port, ZxMessage& request, ZxMessage& reply) {
  rejected_ = false;
  ZxConnection connection(ZxString(), port, ZxConnection::kUdp);
  connection.setTimeout(broadcastTimeout_);
  if (!encode(request)) {
    zxclient::logLine(ZxString("ERROR: ").append(error_.message()).append(".\n"));
    return false;
  }
  ZxByteBuffer payload;
  bool answered = false;
  for (int attempt = 0; attempt < kBroadcastAttempts && !answered; ++attempt) {
    if (connection.send(request.buffer(), static_cast<size_t>(request.used())) <= 0) break;
    answered = connection.receive(payload);
  }
  request.releaseBuffer();
  if (!answered) {
    // The failed send, or the last wait that saw no answer.
    zxclient::logLine(ZxString("ERROR: ").append(connection.error().message()).append(".\n"));
    copyError(connection.error());
    return false;
  }
  decodeReply(payload, connection.peer(), reply);
  connection.close();

  if (reply.tag() == kTagNoResult) {
    zxos::pauseSeconds(zxclient::pauseAfterRefusal(20));
    return false;
  }
  if (reply.tag() == kTagRejected) {
    zxclient::logLine("ERROR: max connections reached.\n");
    error_ = ZxErr(ZxListener::kRejected);
    rejected_ = true;
    zxos::pauseSeconds(zxclient::pauseAfterRefusal(10));
    return false;
  }
  return true;
}

// ---- one-way sends -----------------------------------------------------------------

bool ZxClient::sendFrameTo(const ZxString& host, int port, ZxMessage& request) {
  if (!encode(request)) return false;
  ZxConnection connection(host, port, ZxConnection::kTcp, connectLimit(timeout_));
  connection.setTimeout(timeout_);
  const bool ok =
      connection.isActive() && connection.send(request.buffer(), static_cast<size_t>(request.used())) > 0;
  request.releaseBuffer();
  if (!ok) copyError(connection.error());
  return ok;
}

bool ZxClient::sendDatagramTo(const ZxString& host, int port, ZxMessage& request) {
  // An empty host would make the connection broadcast; a datagram to a
  // host needs one.
  if (host.isEmpty()) {
    error_ = ZxErr(ZxConnection::kNoHost);
    return false;
  }
  if (!encode(request)) return false;
  ZxConnection connection(host, port, ZxConnection::kUdp);
  connection.setTimeout(timeout_);
  const bool ok = connection.send(request.buffer(), static_cast<size_t>(request.used())) > 0;
  request.releaseBuffer();
  if (!ok) copyError(connection.error());
  return ok;
}

bool ZxClient::sendBroadcast(int port, ZxMessage& request) {
  if (!encode(request)) return false;
  ZxConnection connection(ZxString(), port, ZxConnection::kUdp);
  connection.setTimeout(broadcastTimeout_);
  const bool ok = connection.send(request.buffer(), static_cast<size_t>(request.used())) > 0;
  request.releaseBuffer();
  if (!ok) copyError(connection.error());
  return ok;
}

bool ZxClient::sendToEverySupervisor(ZxMessage& request) {
  const int n = supervisors_.count();
  bool all = n > 0;
  for (int i = 0; i < n; ++i) {
    const ZxHostName* entry = supervisors_.get(i);
    if (!entry) continue;
    const int port = entry->port() != 0 ? entry->port() : config_.supervisorPort();
    if (!sendFrameTo(entry->host(), port, request)) all = false;
  }
  return all;
}

bool ZxClient::broadcastCollect(int port, ZxMessage& request, ZxBaseList<ZxMessage>& replies) {
  if (!encode(request)) return false;
  ZxConnection connection(ZxString(), port, ZxConnection::kUdp);
  const bool sent = connection.send(request.buffer(), static_cast<size_t>(request.used())) > 0;
  request.releaseBuffer();
  if (!sent) {
    copyError(connection.error());
    return false;
  }
  // Answers are taken until none comes within what is left of the
  // collection time, so a flood of datagrams cannot hold the caller longer.
  const long long limit = broadcastTimeout_ < 0 ? 0 : broadcastTimeout_;
  const long long start = steadyMs();
  ZxByteBuffer payload;
  for (int collected = 0; collected < kMaxCollected;) {
    const long long left = start + limit - steadyMs();
    if (left <= 0) break;
    connection.setTimeout(static_cast<int>(left));
    if (!connection.receive(payload)) {
      if (connection.error().code() == ZxConnection::kUdpTimedOut) break;
      continue;  // a damaged datagram from one sender does not end the collection
    }
    std::unique_ptr<ZxMessage> answer(zxNew<ZxMessage>());
    if (!answer) break;
    decodeReply(payload, connection.peer(), *answer);
    replies.append(answer.release());
    ++collected;
  }
  return true;
}
