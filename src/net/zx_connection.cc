// ZxConnection: connecting, the frame, raw and datagram sends and receives,
// and the waits with their time limits.
#include "net/zx_connection.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "net/zx_frame.h"

static_assert(ZxConnection::kDefaultReceiveLimit == ZxFrame::kMaxFrameBytes,
              "the default receive limit is the frame limit");
#include "os/zx_os_env.h"

namespace {

// Connections are numbered in the order they are made, from 0.
std::atomic<int> g_nextSerial{0};

// Raw receives start with this much room and double it as data comes in.
constexpr size_t kFirstRawBlock = 256;

long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

ZxConnection::ZxConnection() : serial_(g_nextSerial.fetch_add(1)) {}

ZxConnection::ZxConnection(const ZxString& host, int port, int kind, int timeoutMs)
    : serial_(g_nextSerial.fetch_add(1)), kind_(kind), host_(host), port_(port), timeout_(timeoutMs) {
  if (kind_ == kTcp || kind_ == kRawTcp || kind_ == kSslTcp || kind_ == kSslRawTcp) connect();
}

ZxConnection::ZxConnection(int socket, int kind)
    : serial_(g_nextSerial.fetch_add(1)), active_(true), kind_(kind), socket_(socket) {
  ownsSocket_ = kind == kTcp || kind == kRawTcp || kind == kSslTcp || kind == kSslRawTcp;
}

ZxConnection::~ZxConnection() { close(); }

const char* ZxConnection::kindName(int kind) {
  switch (kind) {
    case kTcp:
      return "tcp";
    case kUdp:
      return "udp";
    case kRawTcp:
      return "raw_tcp";
    case kSslTcp:
      return "ssl_tcp";
    case kMulticastUdp:
      return "multicast_udp";
    case kSslRawTcp:
      return "ssl_raw_tcp";
    default:
      return "unknown";
  }
}

void ZxConnection::close() {
  if (socket_ != zxos::kNoSocket && ownsSocket_) zxos::closeSocket(socket_, nullptr);
  // A borrowed socket is forgotten too, so a closed connection never touches
  // its listener's socket again.
  socket_ = zxos::kNoSocket;
  active_ = false;
}

// ---- errors ------------------------------------------------------------------------

bool ZxConnection::setError(int code) {
  error_.setCode(code);
  return false;
}

bool ZxConnection::setErrorText(int code, const ZxString& text) {
  error_.setCode(code);
  error_.setValue("ERROR", text);
  return false;
}

bool ZxConnection::setSystemError(int code) { return setErrorText(code, systemError_.reason()); }

// ---- time limits -------------------------------------------------------------------

long long ZxConnection::frameDeadline() const {
  const long long limit = timeout_ < 0 ? 0 : timeout_;
  return nowMs() + limit * kFrameDeadlineFactor;
}

int ZxConnection::waitLimit(long long deadlineMs) const {
  long long left = deadlineMs - nowMs();
  if (left < 0) left = 0;
  const long long limit = timeout_ < 0 ? 0 : timeout_;
  return static_cast<int>(left < limit ? left : limit);
}

// ---- host names --------------------------------------------------------------------

bool ZxConnection::parseDottedQuad(const ZxString& text, uint32_t* address) {
  const char* s = text.c_str();
  const int n = text.length();
  int numbers = 0;
  int i = 0;
  while (numbers < 4) {
    int digits = 0;
    int value = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
      value = value * 10 + (s[i] - '0');
      if (value > 255) return false;
    }
    if (digits == 0) return false;
    ++numbers;
    if (numbers < 4) {
      if (i >= n || s[i] != '.') return false;
      ++i;
    }
  }
  if (i != n) return false;
  ZxAddress parsed;
  if (!parsed.fromDottedText(text)) return false;
  *address = parsed.number();
  return true;
}

bool ZxConnection::resolve(const ZxString& host, uint32_t* address) {
  if (host.isEmpty()) return false;
  if (parseDottedQuad(host, address)) return true;
  // A name with a NUL inside would be looked up as its first part only.
  if (std::strlen(host.c_str()) != static_cast<size_t>(host.length())) return false;
  return zxos::resolveHost(host.c_str(), address);
}

// ---- connecting ----------------------------------------------------------------------

void ZxConnection::connect() {
  active_ = false;
  ownsSocket_ = true;
  if (host_.isEmpty()) {
    setError(kNoHost);
    return;
  }
  if (!zxos::startSockets()) {
    setError(kTcpOpenFailed);
    return;
  }
  socket_ = zxos::openSocket(zxos::SocketType::kStream, &systemError_);
  if (socket_ == zxos::kNoSocket) {
    setError(kTcpOpenFailed);
    return;
  }
  uint32_t address = 0;
  if (!resolve(host_, &address)) {
    setError(kNoHost);
    close();
    return;
  }
  peer_.setNumber(address);
  if (!zxos::connectWithin(socket_, address, port_, timeout_ < 0 ? 0 : timeout_, &systemError_)) {
    // The code's line names no reason; the system's text travels with it as
    // the value ERROR, so that a refusal can be told from a time-out.
    setSystemError(kConnectFailed);
    close();
    return;
  }
  active_ = true;
}

// ---- sending -----------------------------------------------------------------------

long long ZxConnection::send(const char* bytes, size_t n) {
  switch (kind_) {
    case kTcp:
      return sendFrame(bytes, n);
    case kRawTcp:
      return sendRaw(bytes, n);
    case kUdp:
    case kMulticastUdp:
      return sendDatagram(bytes, n);
    case kSslTcp:
    case kSslRawTcp:
      if (!active_) setError(kNotActive);
      return 0;
    default:
      setError(kNotActive);
      return -1;
  }
}

size_t ZxConnection::sendAll(const char* bytes, size_t n, long long deadlineMs, bool* timedOut,
                             bool* failed) {
  size_t sent = 0;
  *timedOut = *failed = false;
  while (sent < n) {
    if (nowMs() >= deadlineMs) {
      *timedOut = true;
      break;
    }
    zxos::WaitResult w = zxos::waitWritable(socket_, waitLimit(deadlineMs), &systemError_);
    if (w != zxos::WaitResult::kReady) {  // a failed wait counts as a time-out
      *timedOut = true;
      break;
    }
    long r = zxos::sendSome(socket_, bytes + sent, n - sent, &systemError_);
    if (r == zxos::kWouldBlock) continue;
    if (r < 0) {
      *failed = true;
      break;
    }
    sent += static_cast<size_t>(r);
  }
  return sent;
}

long long ZxConnection::sendFrame(const char* bytes, size_t n) {
  if (!active_) {
    setError(kNotActive);
    return -1;
  }
  ZxByteBuffer frame;
  const int code = ZxFrame::encodeFrame(bytes, n, frame);
  if (code != ZxFrame::kOk) {
    setError(code);
    return -1;
  }
  bool timedOut = false;
  bool failed = false;
  // The header and the data go out through one buffer; which of the header's
  // fields was cut short still decides the error.
  const size_t sent = sendAll(frame.data(), frame.size(), frameDeadline(), &timedOut, &failed);
  if (sent < frame.size()) {
    if (timedOut)
      setError(kSendTimedOut);
    else if (sent < 1)
      setError(kVersionNotSent);
    else if (sent < 5)
      setError(kCompressedLengthNotSent);
    else if (sent < ZxFrame::kHeaderSize)
      setError(kLengthNotSent);
    else
      setSystemError(kSendFailed);
    return -1;
  }
  const long long compressed = static_cast<long long>(frame.size() - ZxFrame::kHeaderSize);
  transferred_ += compressed;
  return compressed;
}

long long ZxConnection::sendRaw(const char* bytes, size_t n) {
  if (!active_) {
    setError(kNotActive);
    return -1;
  }
  if (n > 0 && !bytes) {
    setError(kSendFailed);
    return -1;
  }
  bool timedOut = false;
  bool failed = false;
  const size_t sent = sendAll(bytes, n, frameDeadline(), &timedOut, &failed);
  transferred_ += static_cast<long long>(sent);
  if (timedOut) {
    setError(kRawSendTimedOut);
    return -1;
  }
  if (failed) setSystemError(kSendFailed);
  return static_cast<long long>(sent);
}

bool ZxConnection::openDatagramSocket() {
  if (!zxos::startSockets()) return setError(kUdpOpenFailed);
  socket_ = zxos::openSocket(zxos::SocketType::kDatagram, &systemError_);
  if (socket_ == zxos::kNoSocket) return setError(kUdpOpenFailed);
  ownsSocket_ = true;
  active_ = true;
  return true;
}

long long ZxConnection::sendDatagram(const char* bytes, size_t n) {
  ZxByteBuffer datagram;
  const int code = ZxFrame::encodeDatagram(bytes, n, datagram);
  if (code != ZxFrame::kOk) {
    setError(code);
    return 0;
  }
  const ZxString redirect = zxos::getEnv(kBroadcastVariable);
  if (socket_ == zxos::kNoSocket) {
    if (!openDatagramSocket()) return 0;
    uint32_t local = 0;
    if (host_.isEmpty()) {
      zxos::enableBroadcast(socket_, nullptr);
      if (redirect.isEmpty()) local = zxos::broadcastSourceAddress();
    }
    // A socket that cannot bind still sends, from an address of the system's choice.
    if (!zxos::bindSocket(socket_, local, 0, &systemError_)) setSystemError(kUdpBindFailed);
  }
  if (peer_.isNotSet()) {
    uint32_t destination = kBroadcastAddress;
    bool found = true;
    if (!host_.isEmpty())
      found = resolve(host_, &destination);
    else if (!redirect.isEmpty())
      found = parseDottedQuad(redirect, &destination);
    if (!found) {
      setError(kResolveFailed);
      if (ownsSocket_) close();
      return 0;
    }
    peer_.setNumber(destination);
  }
  const long long deadline = nowMs() + (timeout_ < 0 ? 0 : timeout_);
  for (;;) {
    long r = zxos::sendTo(socket_, datagram.data(), datagram.size(), peer_.number(), port_, &systemError_);
    if (r == static_cast<long>(datagram.size())) break;
    if (r == zxos::kWouldBlock && nowMs() < deadline &&
        zxos::waitWritable(socket_, waitLimit(deadline), &systemError_) == zxos::WaitResult::kReady)
      continue;
    if (r >= 0 || r == zxos::kWouldBlock) systemError_.set("sendto", EAGAIN);
    setSystemError(kUdpSendFailed);
    return 0;
  }
  transferred_ += static_cast<long long>(n);
  return static_cast<long long>(n);
}

// ---- receiving ---------------------------------------------------------------------

bool ZxConnection::receive(ZxByteBuffer& out) {
  out.clear();  // the block is kept for the next payload
  switch (kind_) {
    case kTcp:
      return receiveFrame(out);
    case kRawTcp:
      return receiveRaw(out);
    case kUdp:
    case kMulticastUdp:
      return receiveDatagram(out);
    case kSslTcp:
    case kSslRawTcp:
      return active_ ? false : setError(kNotActive);
    default:
      return setError(kNotActive);
  }
}

bool ZxConnection::receiveFrame(ZxByteBuffer& out) {
  if (!active_) return setError(kNotActive);
  ZxFrame::Reader reader(&out);
  const long long deadline = frameDeadline();
  while (!reader.done()) {
    if (nowMs() >= deadline ||
        zxos::waitReadable(socket_, waitLimit(deadline), &systemError_) != zxos::WaitResult::kReady) {
      out.reset();
      return setError(kReceiveTimedOut);
    }
    const long got = zxos::receiveSome(socket_, reader.space(), reader.wanted(), &systemError_);
    if (got == zxos::kWouldBlock) continue;
    if (got <= 0) {
      const bool failed = got < 0;
      const int code = reader.endCode(failed);
      out.reset();
      if (code == kBlank) return setError(code);
      return setErrorText(code, failed ? systemError_.reason() : ZxString("connection closed by peer"));
    }
    const int code = reader.advance(static_cast<size_t>(got));
    if (code == ZxFrame::kVersion) {
      error_.setValue("VERSION", ZxString(reader.version()));
      return setError(code);
    }
    if (code != ZxFrame::kOk) return setError(code);
    if (reader.payloadLength() > receiveLimit_) {
      out.reset();
      return setError(kNoMemory);
    }
  }
  transferred_ += static_cast<long long>(out.size());
  return true;
}

bool ZxConnection::receiveRaw(ZxByteBuffer& out) {
  if (!active_) return setError(kNotActive);
  const long long deadline = frameDeadline();
  zxos::WaitResult w = zxos::waitReadable(socket_, waitLimit(deadline), &systemError_);
  if (w != zxos::WaitResult::kReady) return setError(kReceiveTimedOut);
  for (;;) {
    if (out.size() == out.capacity()) {
      size_t grown = out.capacity() < kFirstRawBlock ? kFirstRawBlock : out.capacity() * 2;
      if (grown > ZxFrame::kMaxFrameBytes) grown = ZxFrame::kMaxFrameBytes;
      // More than a frame may hold, sent without a pause: refused like a frame that large.
      if (grown <= out.size() || !out.reserve(grown)) {
        out.reset();
        return setError(kNoMemory);
      }
    }
    const long got =
        zxos::receiveSome(socket_, out.data() + out.size(), out.capacity() - out.size(), &systemError_);
    if (got > 0) {
      out.resize(out.size() + static_cast<size_t>(got));
      transferred_ += got;
    } else if (got == 0) {
      break;  // the peer closed: the result is what came before (possibly nothing)
    } else if (got != zxos::kWouldBlock) {
      if (out.isEmpty()) return setSystemError(kReceiveFailed);
      break;  // a failure after some data ends the read with what came
    }
    // Go on only while more is there at once, and never past the deadline.
    if (zxos::waitReadable(socket_, 0, nullptr) != zxos::WaitResult::kReady) break;
    if (nowMs() >= deadline) {
      out.reset();
      return setError(kReceiveTimedOut);
    }
  }
  return true;
}

bool ZxConnection::receiveDatagram(ZxByteBuffer& out) {
  if (!out.reserve(ZxFrame::kMaxDatagram)) return setError(kUdpBufferFailed);
  if (socket_ == zxos::kNoSocket && !openDatagramSocket()) {
    out.reset();
    return false;
  }
  const long long deadline = nowMs() + (timeout_ < 0 ? 0 : timeout_);
  uint32_t sender = 0;
  int senderPort = 0;
  long got = zxos::kWouldBlock;
  while (got == zxos::kWouldBlock) {
    if (zxos::waitReadable(socket_, waitLimit(deadline), &systemError_) != zxos::WaitResult::kReady) {
      out.reset();
      return setError(kUdpTimedOut);
    }
    got = zxos::receiveFrom(socket_, out.data(), out.capacity(), &sender, &senderPort, &systemError_);
    if (got == zxos::kWouldBlock && nowMs() >= deadline) {
      out.reset();
      return setError(kUdpTimedOut);
    }
  }
  if (got < 0) {
    out.reset();
    return setSystemError(kUdpReceiveFailed);
  }
  const char* payload = nullptr;
  size_t length = 0;
  int version = 0;
  const int code = ZxFrame::decodeDatagram(out.data(), static_cast<size_t>(got), &payload, &length, &version);
  if (code != ZxFrame::kOk) {
    out.reset();
    if (code == ZxFrame::kDatagramVersion) error_.setValue("VERSION", ZxString(version));
    return setError(code);
  }
  std::memmove(out.data(), payload, length);
  out.resize(length);
  peer_.setNumber(sender);
  port_ = senderPort;
  transferred_ += static_cast<long long>(length);
  return true;
}
