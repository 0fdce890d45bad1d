// ZxListener: opening, waiting on and closing the entries; accepting and
// turning connections away.
#include "net/zx_listener.h"

#include <new>

#include "model/zx_flags.h"
#include "os/zx_os_host.h"
#include "message/zx_message.h"
#include "util/zx_log.h"
#include "util/zx_out_of_memory.h"

namespace {

bool isDatagramKind(int kind) { return kind == ZxConnection::kUdp || kind == ZxConnection::kMulticastUdp; }

bool isStreamKind(int kind) {
  return kind == ZxConnection::kTcp || kind == ZxConnection::kRawTcp || kind == ZxConnection::kSslTcp ||
         kind == ZxConnection::kSslRawTcp;
}

// A line of the process-wide log written only when "info" is enabled.
ZxLogLine infoLine(const char* level, bool stamped) {
  return ZxLogLine(ZxLog::log(), LogCategory::kInfo, level, stamped);
}

}  // namespace

bool ZxListener::setError(int code) {
  error_.setCode(code);
  return false;
}

bool ZxListener::setErrorText(int code, const zxos::SocketError& cause) {
  error_.setCode(code);
  error_.setValue("ERROR", cause.reason());
  return false;
}

int ZxListener::addEntry(uint32_t address, int port, int kind, int flags, uint32_t group) {
  if (count_ >= kMaxEntries) return -1;
  Entry& e = entries_[count_];
  e = Entry();
  e.address = address;
  e.port = port;
  e.kind = kind;
  e.flags = flags;
  e.group = group;
  return count_++;
}

bool ZxListener::open(int i) {
  if (i < 0 || i >= count_) return setError(kTcpOpenFailed);
  Entry& e = entries_[i];
  if (e.socket != zxos::kNoSocket) return true;
  const bool datagram = isDatagramKind(e.kind);
  if (!datagram && !isStreamKind(e.kind)) return setError(kTcpOpenFailed);
  zxos::SocketError cause;
  if (!zxos::startSockets()) return setError(datagram ? kUdpOpenFailed : kTcpOpenFailed);
  int s = zxos::openSocket(datagram ? zxos::SocketType::kDatagram : zxos::SocketType::kStream, &cause);
  if (s == zxos::kNoSocket) return setError(datagram ? kUdpOpenFailed : kTcpOpenFailed);
  auto giveUp = [&](int code, bool withText) {
    zxos::closeSocket(s, nullptr);
    return withText ? setErrorText(code, cause) : setError(code);
  };
  if (e.kind == ZxConnection::kMulticastUdp && e.group != 0 &&
      !zxos::joinMulticastGroup(s, e.group, e.address, &cause))
    return giveUp(kUdpOpenFailed, false);
  // The host name is only recorded; a server can listen without it.
  hostName_ = ZxOsHost::hostName();
  if (hostName_.isEmpty()) setError(kNoHostName);
  if (!datagram) zxos::enableAddressReuse(s, nullptr);

  const int bindCode = datagram ? kUdpBindFailed
                       : (e.kind == ZxConnection::kSslTcp || e.kind == ZxConnection::kSslRawTcp)
                           ? kSecureBindFailed
                           : kTcpBindFailed;
  for (int attempt = 1; !zxos::bindSocket(s, e.address, e.port, &cause); ++attempt) {
    setErrorText(bindCode, cause);
    infoLine("INFO: ", true) << (datagram ? "waiting for udp socket to open up - port: "
                                          : "waiting for tcp socket to open up - port: ")
                             << e.port;
    if (bindAttempts_ > 0 && attempt >= bindAttempts_) return giveUp(bindCode, true);
    zxos::sleepMs(bindRetryMs_);
  }
  uint32_t boundAddress = 0;
  int boundPort = 0;
  if (!zxos::socketName(s, &boundAddress, &boundPort, &cause)) return giveUp(kSocketInfoFailed, true);
  if (!datagram) {
    if (!zxos::setNonBlocking(s, &cause) || !zxos::listenSocket(s, kBacklog, &cause))
      return giveUp(kListenFailed, false);
  }
  e.socket = s;
  e.boundPort = boundPort;
  return true;
}

bool ZxListener::openAll() {
  bool ok = true;
  for (int i = 0; i < count_; ++i) ok = open(i) && ok;
  return ok;
}

int ZxListener::wait(int filter) {
  if (count_ == 0) {
    zxos::sleepMs(idlePauseMs_);
    return -1;
  }
  int sockets[kMaxEntries];
  bool ready[kMaxEntries];
  for (int i = 0; i < count_; ++i) sockets[i] = entries_[i].socket;
  zxos::SocketError cause;
  zxos::WaitResult r = zxos::waitAnyReadable(sockets, ready, count_, timeout_, &cause);
  if (r == zxos::WaitResult::kFailed) {
    setErrorText(kSelectFailed, cause);
    return -1;
  }
  if (r != zxos::WaitResult::kReady) return -1;
  if (filter == kPriorityFlag) {
    for (int i = 0; i < count_; ++i)
      if (ready[i] && (entries_[i].flags & kPriorityFlag)) return i;
    return -1;
  }
  for (int i = 0; i < count_; ++i)
    if (ready[i] && !(entries_[i].flags & kPriorityFlag)) return i;
  for (int i = 0; i < count_; ++i)
    if (ready[i] && (entries_[i].flags & filter)) return i;
  return -1;
}

std::unique_ptr<ZxConnection> ZxListener::accept(int i) {
  if (i < 0 || i >= count_ || entries_[i].socket == zxos::kNoSocket) {
    setError(kAcceptFailed);
    return nullptr;
  }
  const Entry& e = entries_[i];
  if (isDatagramKind(e.kind)) {
    std::unique_ptr<ZxConnection> c(zxNew<ZxConnection>(e.socket, ZxConnection::kUdp));
    if (!c) setError(kAcceptFailed);
    return c;
  }
  uint32_t address = 0;
  int port = 0;
  int s = zxos::acceptSocket(e.socket, &address, &port, nullptr);
  if (s == zxos::kNoSocket) {
    setError(kAcceptFailed);
    return nullptr;
  }
  std::unique_ptr<ZxConnection> c(zxNew<ZxConnection>(s, e.kind));
  if (!c) {
    zxos::closeSocket(s, nullptr);
    setError(kAcceptFailed);
    return nullptr;
  }
  c->setPeer(ZxAddress(address));
  c->setPort(port);
  return c;
}

bool ZxListener::reject(int i) {
  std::unique_ptr<ZxConnection> c = accept(i);
  if (!c) return false;
  rejectConnection(*c);
  setError(kRejected);
  return true;
}

void ZxListener::closeEntries(bool shutdownFirst) {
  for (int i = 0; i < count_; ++i) {
    Entry& e = entries_[i];
    if (e.socket == zxos::kNoSocket) continue;
    if (shutdownFirst && !zxos::shutdownSocket(e.socket, nullptr))
      infoLine("ERROR: ", false) << "couldn't shutdown socket.";
    if (!zxos::closeSocket(e.socket, nullptr)) infoLine("ERROR: ", false) << "couldn't close socket.";
    e.socket = zxos::kNoSocket;
    e.boundPort = 0;
  }
}

void ZxListener::close() { closeEntries(false); }

void ZxListener::shutdownClose() { closeEntries(true); }

bool rejectConnection(ZxConnection& connection) {
  bool answered = true;
  const int kind = connection.kind();
  // The secure kinds carry no data here, so a kind-5 connection is only closed.
  if (kind == ZxConnection::kTcp) {
    ZxByteBuffer request;
    connection.receive(request);
    ZxMessage answer(ZxListener::kRejectTag);
    answer.setVersion(ZxListener::kRejectVersion);
    const int n = answer.pack();
    answered = n > 0 && connection.send(answer.buffer(), static_cast<size_t>(n)) > 0;
  } else if (kind == ZxConnection::kUdp || kind == ZxConnection::kMulticastUdp) {
    // A datagram left waiting would make the socket ready again at once.
    ZxByteBuffer dropped;
    connection.setTimeout(0);
    connection.receive(dropped);
  }
  connection.close();
  return answered;
}
