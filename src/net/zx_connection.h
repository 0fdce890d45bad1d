// ZxConnection: one socket of the transport, of one kind:
//
//   1 "tcp"            stream; every send is one compressed frame (net/zx_frame.h)
//   2 "udp"            datagrams; every send is one datagram
//   4 "raw_tcp"        stream; bytes as given, no frame
//   5 "ssl_tcp"        stream, reserved secure kind: connects, carries no data
//   6 "multicast_udp"  datagrams (the listening side's multicast entries)
//   7 "ssl_raw_tcp"    stream, reserved secure kind: connects, carries no data
//   other              "unknown": never active
//
// A connection has a peer (host name or dotted address, and port), a time
// limit in milliseconds for every wait (default 30000), and an error record
// (ZxErr) naming its last failure by code, with the "ERROR" value (the
// system's text for the failing call's error number) or "VERSION" (a
// received version byte) where the code's text uses one. Every failure sets
// the record and returns the operation's failure result; nothing throws and
// nothing is logged here. After any failure the stream is in an unknown
// state: close the connection.
//
// Time limits. Each wait (for the connect, and for readiness before every
// send and receive) lasts at most timeout() ms. A whole frame, sent or
// received, must also be through within kFrameDeadlineFactor * timeout():
// a peer that trickles one byte per wait cannot hold the caller beyond that
// (a receive then fails with 15, a send with 5). With the default 30 s this
// is two minutes, which carries the largest frame (kMaxFrameBytes of
// payload, compressing to well under 100 MB for record data) over any link
// of 10 Mbit/s or more. A negative time limit counts as 0.
//
// Host names: four dot-separated decimal numbers of 0 to 255 are read as an
// address directly (with ZxAddress's dotted rule); any other name goes to the
// system resolver, whose first IPv4 address is used.
//
// Broadcast: a datagram connection with an empty host sends to the
// broadcast address, 255.255.255.255, from the first address of the
// lowest-index network adapter (0.0.0.0 when none is known). The
// environment variable ZX_BROADCAST_ADDRESS, a dotted IPv4 address, replaces
// the destination (and the socket then binds to 0.0.0.0), so tests and
// demonstrations can keep discovery on 127.0.0.1. A value that is not a
// dotted address fails the send with 12 rather than fall back to a real
// broadcast.
//
// `transferred` counts payload bytes sent and received, in 64 bits (it
// cannot wrap on large frames).
//
// Receive limit: a frame whose header declares a payload above
// receiveLimit() is refused with 14 as soon as the header is read, before
// any of its data is taken. It is ZxFrame::kMaxFrameBytes unless lowered: a
// server that holds many requests at once lowers it to what one request
// can need, so that a header's claim cannot make it build records for
// hundreds of megabytes per connection.
//
// Ownership: a connection made from a host owns its socket. One made from a
// socket owns it for the stream kinds (1, 4, 5, 7) and only borrows it for
// the datagram kinds, whose socket belongs to a listener. close() and the
// destructor close an owned socket. Received payloads go into the caller's
// ZxByteBuffer.
//
// One thread uses a connection at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/zx_err.h"
#include "model/zx_address.h"
#include "os/zx_os_socket.h"
#include "util/zx_base.h"
#include "util/zx_byte_buffer.h"
#include "util/zx_string.h"

class ZxConnection : public ZxBase {
 public:
  enum Kind { kTcp = 1, kUdp = 2, kRawTcp = 4, kSslTcp = 5, kMulticastUdp = 6, kSslRawTcp = 7 };

  // Transport error codes a connection sets (texts in ZxErr's table).
  enum Code {
    kNotActive = 3,
    kCompressFailed = 4,
    kSendTimedOut = 5,
    kVersionNotSent = 6,
    kCompressedLengthNotSent = 7,
    kLengthNotSent = 8,
    kRawSendTimedOut = 9,
    kUdpOpenFailed = 10,
    kUdpBindFailed = 11,
    kResolveFailed = 12,
    kUdpSendFailed = 13,
    kNoMemory = 14,
    kReceiveTimedOut = 15,
    kBlank = 16,
    kReceiveFailed = 17,
    kVersionMismatch = 18,
    kHeaderShort = 19,
    kNoData = 20,
    kUncompressFailed = 21,
    kUdpBufferFailed = 27,
    kUdpTimedOut = 28,
    kUdpReceiveFailed = 29,
    kDatagramBlank = 30,
    kDatagramVersion = 31,
    kNoHost = 32,
    kConnectFailed = 35,
    kTcpOpenFailed = 38,
    kBodyShort = 41,
    // A send of frame or raw bytes that the system refused part-way ("tcp
    // send fail: $ERROR").
    kSendFailed = 42,
  };

  static constexpr int kDefaultTimeoutMs = 30000;
  // A whole frame must be sent or received within this many time limits.
  static constexpr int kFrameDeadlineFactor = 4;
  // The environment variable that redirects broadcasts.
  static constexpr const char* kBroadcastVariable = "ZX_BROADCAST_ADDRESS";
  static constexpr uint32_t kBroadcastAddress = 0xFFFFFFFFu;
  // The default receive limit: the largest frame the transport accepts
  // (ZxFrame::kMaxFrameBytes, repeated here so this header needs no zlib).
  static constexpr uint32_t kDefaultReceiveLimit = 512u << 20;

  // Kind 1, no host, inactive.
  ZxConnection();
  // Stores host and port; the stream kinds connect at once, waiting at most
  // timeoutMs; the datagram kinds open their socket on first use.
  ZxConnection(const ZxString& host, int port, int kind = kTcp, int timeoutMs = kDefaultTimeoutMs);
  // Wraps an accepted or listening socket; active. Owned for the stream
  // kinds, borrowed for the datagram kinds.
  ZxConnection(int socket, int kind);
  ZxConnection(const ZxConnection&) = delete;
  ZxConnection& operator=(const ZxConnection&) = delete;
  ~ZxConnection() override;

  // The kind number.
  int typeId() const override { return kind_; }

  // Sends one unit of the connection's kind. Kind 1: one frame, answering
  // the compressed length c, or -1. Kind 4: the bytes, answering how many
  // went out (n when all did; fewer with the error set when the system
  // refused the rest), or -1. Kinds 2 and 6: one datagram, answering n, or 0.
  // Kinds 5 and 7: 0 (no data travels). Other kinds: -1.
  long long send(const char* bytes, size_t n);
  // Receives one unit into `out` (replacing what it held; its block is
  // reused when large enough, and freed after a failure). Kind 1: one
  // frame's payload. Kind 4: what arrives until the peer pauses or closes
  // (possibly nothing, when the peer closed at once). Kinds 2 and 6: one
  // datagram's payload; the sender becomes the peer and port, so a send
  // answers it. False with the error set on failure (kinds 5 and 7: false,
  // the error set only when not active), `out` then empty.
  bool receive(ZxByteBuffer& out);
  // Closes an owned socket and makes the connection inactive.
  void close();

  static const char* kindName(int kind);
  const char* kindName() const { return kindName(kind_); }

  int serial() const { return serial_; }
  int kind() const { return kind_; }
  bool isActive() const { return active_; }
  const ZxString& host() const { return host_; }
  int port() const { return port_; }
  void setPort(int port) { port_ = port; }
  int timeout() const { return timeout_; }
  void setTimeout(int ms) { timeout_ = ms; }
  const ZxAddress& peer() const { return peer_; }
  void setPeer(const ZxAddress& address) { peer_ = address; }
  const ZxErr& error() const { return error_; }
  // The system call behind the last failure and its error number (for
  // diagnostics: "connect: Connection refused"); empty when none failed.
  const zxos::SocketError& systemError() const { return systemError_; }
  long long transferred() const { return transferred_; }
  // The largest frame payload receive() accepts (see above); a limit above
  // ZxFrame::kMaxFrameBytes still refuses what the frame reader refuses.
  uint32_t receiveLimit() const { return receiveLimit_; }
  void setReceiveLimit(uint32_t bytes) { receiveLimit_ = bytes; }
  int socket() const { return socket_; }
  bool ownsSocket() const { return ownsSocket_; }

  // Reads a host written as four dot-separated decimal numbers of 0 to 255
  // (one or more digits each, nothing else); false for any other text.
  static bool parseDottedQuad(const ZxString& text, uint32_t* address);
  // Resolves a host name as connections do: dotted quads directly, other
  // names through the system resolver.
  static bool resolve(const ZxString& host, uint32_t* address);

 private:
  void connect();
  long long sendFrame(const char* bytes, size_t n);
  long long sendRaw(const char* bytes, size_t n);
  long long sendDatagram(const char* bytes, size_t n);
  bool receiveFrame(ZxByteBuffer& out);
  bool receiveRaw(ZxByteBuffer& out);
  bool receiveDatagram(ZxByteBuffer& out);
  bool openDatagramSocket();
  // Sends all n bytes, waiting before each send; answers the bytes sent and
  // sets *timedOut or *failed when it stopped early.
  size_t sendAll(const char* bytes, size_t n, long long deadlineMs, bool* timedOut, bool* failed);

  bool setError(int code);
  bool setErrorText(int code, const ZxString& text);
  bool setSystemError(int code);
  // The wait before one call: min(timeout, what is left of the deadline).
  int waitLimit(long long deadlineMs) const;
  long long frameDeadline() const;

  int serial_;
  bool active_ = false;
  int kind_ = kTcp;
  ZxString host_;
  int port_ = 0;
  int timeout_ = kDefaultTimeoutMs;
  ZxAddress peer_;
  ZxErr error_;
  zxos::SocketError systemError_;
  long long transferred_ = 0;
  uint32_t receiveLimit_ = kDefaultReceiveLimit;
  int socket_ = zxos::kNoSocket;
  bool ownsSocket_ = false;
};
