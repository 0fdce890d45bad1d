// ZxClient: the client context of one operation, and the supervisor
// exchange it runs: stamping a request with its sender, one
// request/response round with one host, the supervisor route that picks the
// host, the datagram round of discovery, and the one-way sends.
//
// One round (exchange): a framed TCP connection to the host, the stamped
// request as one frame, one reply frame decoded into the reply message
// (whose sender address becomes the peer's). The reply's tag decides:
//   0  no result: a pause of 1 to 10 s, then failure;
//   5  the supervisor is full: the line "max connections reached for ...",
//      `rejected` set, error 1051, a pause of 1 to 10 s, then failure;
//   7  redirect: success here; the route follows it;
//   other  success.
// Failed connects, sends and receives write one "ERROR: ..." line to the log
// (under its lock, whatever the category mask) and leave the connection's
// error in error(). The pauses keep many clients that were turned away from
// coming back at the same moment; they and the random choices go through
// the clock seam (os/zx_os_clock.h).
//
// The route (callSupervisor): an explicit supervisor alone when one is set;
// otherwise every configured supervisor once, starting at a random one and
// wrapping around; then the cached supervisor of the last discovery; then
// discovery by broadcast when a queue domain is known (net/zx_discovery.h).
// A redirect (tag 7) must carry content of its declared class, whose first
// field names the host to use; exactly one redirect is followed, so two
// supervisors that name each other cannot hold a client in a loop.
//
// Ownership: the context owns its configuration (read afresh when it is
// built), its copy of the supervisor list (discovery appends to it) and its
// error record. Requests and replies belong to the caller; a reply is
// cleared before each frame is decoded into it, so after a failed route it
// holds the last reply received (or its defaults).
//
// One thread uses a context; the pauses block it.
#pragma once

#include "config/zx_config.h"
#include "message/zx_message.h"
#include "model/zx_err.h"
#include "model/zx_host_name.h"
#include "util/zx_base.h"
#include "util/zx_base_list.h"
#include "util/zx_string.h"

class ZxClient : public ZxBase {
 public:
  static constexpr int kClassNumber = 74;
  static constexpr int kDefaultTimeoutMs = 30000;
  // How long discovery waits for each answer, and how often it asks.
  static constexpr int kBroadcastTimeoutMs = 5000;
  static constexpr int kBroadcastAttempts = 6;
  // The connect of a round waits at most this long (or the context's time
  // limit when shorter): about what a system connect allows before it gives
  // up, so an unreachable host does not hold the client for the whole
  // exchange time limit.
  static constexpr int kConnectLimitMs = 30000;

  // Reply tags read here, and the tag of the discovery request.
  enum Tag { kTagNoResult = 0, kTagRejected = 5, kTagRedirect = 7, kTagDiscovery = 401 };

  // Reads a fresh configuration (environment and zx.conf).
  ZxClient();
  ZxClient(const ZxClient&) = delete;
  ZxClient& operator=(const ZxClient&) = delete;
  ~ZxClient() override;

  int typeId() const override { return kClassNumber; }
  static const char* typeName() { return "ZxClient"; }

  // An explicit supervisor host: when set, the route tries it alone.
  const ZxString& supervisor() const { return supervisor_; }
  void setSupervisor(const ZxString& host) { supervisor_ = host; }
  // A queue domain that replaces the configured one in every request.
  const ZxString& domain() const { return domain_; }
  void setDomain(const ZxString& domain) { domain_ = domain; }
  // The context's domain when set, else the configured one.
  const ZxString& effectiveDomain() const;

  const ZxConfig& config() const { return config_; }
  // The supervisors the route tries: the configured ones, then any that
  // discovery found during this context's life. Entries with port 0 use
  // the route's port.
  ZxHostNameList& supervisors() { return supervisors_; }
  const ZxHostNameList& supervisors() const { return supervisors_; }

  // Milliseconds for every wait of a TCP round (default 30000).
  int timeout() const { return timeout_; }
  void setTimeout(int ms) { timeout_ = ms; }
  // The wait for each discovery answer (default kBroadcastTimeoutMs).
  int broadcastTimeout() const { return broadcastTimeout_; }
  void setBroadcastTimeout(int ms) { broadcastTimeout_ = ms; }

  // Whether the last round was refused because the supervisor was full.
  bool rejected() const { return rejected_; }
  // The host of the last round attempted.
  const ZxString& lastHost() const { return lastHost_; }
  // The last transport failure of any round (a success does not clear it).
  const ZxErr& error() const { return error_; }

  // Fills the sender fields: user, user domain, hardware address, queue
  // domain and region.
  void stamp(ZxMessage& request);
  // The user name that stamp() writes (the system's account name, at most
  // 256 characters; "" when it cannot be read).
  const ZxString& userName();

  // One round with `host` (see above); true for a usable reply.
  bool exchange(const ZxString& host, int port, ZxMessage& request, ZxMessage& reply);

  // The route on supervisorPort(), used by the client operations.
  bool callSupervisor(ZxMessage& request, ZxMessage& reply);
  // The route on supervisorSubPort().
  bool callSupervisorSub(ZxMessage& request, ZxMessage& reply);
  // A round with `host` on supervisorPort() (a redirect followed), and the
  // whole route when that fails.
  bool callSupervisorAt(const ZxString& host, ZxMessage& request, ZxMessage& reply);
  // The same on supervisorSubPort().
  bool callSupervisorSubAt(const ZxString& host, ZxMessage& request, ZxMessage& reply);
  // A round with a worker on workerPort().
  bool callWorker(const ZxString& host, ZxMessage& request, ZxMessage& reply);

  // Follows the redirect in `reply` (tag 7): its content must exist and be
  // of its declared class, and its first field names the host, tried with
  // one round on `port`. A second redirect is not followed (false).
  bool followRedirect(int port, ZxMessage& request, ZxMessage& reply);

  // The datagram round of discovery: the stamped request broadcast on
  // `port` (to ZX_BROADCAST_ADDRESS instead when set), up to
  // kBroadcastAttempts times until an answer comes, each wait
  // broadcastTimeout() ms. The reply's sender address is the responder.
  // Tag 0 fails after a pause of 1 to 20 s, tag 5 as in a round.
  bool broadcastExchange(int port, ZxMessage& request, ZxMessage& reply);

  // One-way sends: the stamped request once, no reply read. True when the
  // send went out; otherwise error() holds the connection's error.
  bool sendFrameTo(const ZxString& host, int port, ZxMessage& request);
  bool sendDatagramTo(const ZxString& host, int port, ZxMessage& request);
  bool sendBroadcast(int port, ZxMessage& request);
  // One framed send to every supervisor of the list (entry port, else
  // supervisorPort()); true when there was one and every send went out.
  bool sendToEverySupervisor(ZxMessage& request);
  // Broadcasts the request once and appends every answer that arrives
  // within broadcastTimeout() ms, at most kMaxCollected, each with its
  // sender address. True when the send went out.
  static constexpr int kMaxCollected = 1024;
  bool broadcastCollect(int port, ZxMessage& request, ZxBaseList<ZxMessage>& replies);

 private:
  bool route(int port, ZxMessage& request, ZxMessage& reply);
  bool callAt(const ZxString& host, int port, ZxMessage& request, ZxMessage& reply);
  // Packs the stamped request into its buffer; false (error 14) when
  // memory ran out.
  bool encode(ZxMessage& request);
  void copyError(const ZxErr& error) { error_ = error; }
  void lookUpSender();

  ZxString supervisor_;
  ZxString domain_;
  ZxConfig config_;
  ZxHostNameList supervisors_;
  int timeout_ = kDefaultTimeoutMs;
  int broadcastTimeout_ = kBroadcastTimeoutMs;
  bool rejected_ = false;
  ZxString lastHost_;
  ZxErr error_;

  // The sender fields, looked up once per context.
  bool senderKnown_ = false;
  ZxString user_;
  ZxString userDomain_;
  ZxString hardwareAddress_;
};

// The log line and pause helpers shared with discovery.
namespace zxclient {
// Seconds of the pause after a refusal: 1 + r * span / 32768 for a
// pseudo-random r from the clock seam, so 1 to `span`.
int pauseAfterRefusal(int span);
// Writes `line` (which ends in "\n") to the log sink under its lock,
// whatever the category mask.
void logLine(const ZxString& line);
}  // namespace zxclient
