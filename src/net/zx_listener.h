// ZxListener: the listening side of the transport, used by servers (the
// local supervisor, workers): up to kMaxEntries sockets, each bound to a
// local address and port for one connection kind, waited on together.
//
// An entry holds a local address (0: any), a port (0: any free port), a
// kind (ZxConnection's kinds; 2 and 6 are datagram sockets, 1, 4, 5 and 7
// stream sockets), an optional multicast group (kind 6), a flags word that
// wait() filters on, and once opened its socket and the port it is bound to.
//
// Opening an entry creates its socket, binds it and, for the stream kinds,
// listens with a backlog of kBacklog. While the port is taken the bind is
// retried every bindRetryMs (10 s unless changed), logging the stamped line
// "waiting for tcp socket to open up - port: N" (or "udp") when
// informational logging is on; a server waits for its port for as long as it
// takes, and tests can shorten the interval and limit the attempts. Stream
// sockets bind with address reuse, so a restarted server does not wait for
// its old connections' TIME_WAIT to pass.
//
// Errors go to the listener's error record (ZxErr codes 1039 to 1051):
// 1039 select fail ($ERROR), 1040 accepting, 1041/1043 opening a udp/tcp
// socket, 1042 local host name, 1046 socket info ($ERROR), 1047 listen,
// 1048/1049/1050 udp/secure/tcp bind ($ERROR), 1051 a connection turned away.
//
// Ownership: the listener owns its entries' sockets and closes them in
// close(), shutdownClose() and its destructor. accept() hands the caller a
// connection it owns: for stream kinds with a new socket of its own, for
// datagram kinds borrowing the entry's socket (valid while the listener
// keeps it open).
#pragma once

#include <cstdint>
#include <memory>

#include "model/zx_err.h"
#include "net/zx_connection.h"
#include "util/zx_string.h"

class ZxListener {
 public:
  static constexpr int kMaxEntries = 128;
  static constexpr int kDefaultTimeoutMs = 30000;
  static constexpr int kBacklog = 255;
  static constexpr int kDefaultBindRetryMs = 10000;
  // What wait() pauses when there is nothing to wait on.
  static constexpr int kDefaultIdlePauseMs = 1000;
  // The flag bit that a filter of exactly kPriorityFlag selects (see wait()).
  static constexpr int kPriorityFlag = 2;

  // The message tag and version of the "too many connections" answer.
  static constexpr int kRejectTag = 5;
  static constexpr int kRejectVersion = 350;

  enum Code {
    kSelectFailed = 1039,
    kAcceptFailed = 1040,
    kUdpOpenFailed = 1041,
    kNoHostName = 1042,
    kTcpOpenFailed = 1043,
    kSocketInfoFailed = 1046,
    kListenFailed = 1047,
    kUdpBindFailed = 1048,
    kSecureBindFailed = 1049,
    kTcpBindFailed = 1050,
    kRejected = 1051,
  };

  struct Entry {
    uint32_t address = 0;
    int port = 0;
    int kind = ZxConnection::kTcp;
    uint32_t group = 0;  // multicast group of a kind-6 entry; 0: none
    int flags = 0;
    int socket = zxos::kNoSocket;
    int boundPort = 0;
  };

  ZxListener() = default;
  ZxListener(const ZxListener&) = delete;
  ZxListener& operator=(const ZxListener&) = delete;
  ~ZxListener() { close(); }

  // Adds an entry (not yet opened); its index, or -1 when all kMaxEntries
  // are in use.
  int addEntry(uint32_t address, int port, int kind, int flags = 0, uint32_t group = 0);
  int count() const { return count_; }
  const Entry& entry(int i) const { return entries_[i]; }

  // Opens entry i (see above); false with the error set. An entry already
  // open stays as it is.
  bool open(int i);
  // Opens every entry; false when one fails (the others stay open).
  bool openAll();

  // Waits up to timeout() ms for an entry's socket to become readable and
  // answers its index, or -1 when none did (or the wait failed, with 1039).
  // The filter picks among ready entries: a filter of kPriorityFlag picks
  // the first whose flags have that bit; any other filter the first whose
  // flags lack it, else the first whose flags share a bit with the filter.
  // With no entries it pauses idlePauseMs and answers -1.
  int wait(int filter);

  // The connection of a ready entry (see Ownership); null with 1040.
  std::unique_ptr<ZxConnection> accept(int i);
  // Turns away the connection waiting on entry i: accepts it, answers a
  // framed request with the "too many connections" message (tag 5, version
  // 350), closes it, and sets 1051. False when nothing could be accepted.
  bool reject(int i);

  // Closes every entry's socket ("ERROR: couldn't close socket." is logged
  // on failure when informational logging is on).
  void close();
  // Shuts every socket down first ("ERROR: couldn't shutdown socket."), then
  // closes it.
  void shutdownClose();

  int timeout() const { return timeout_; }
  void setTimeout(int ms) { timeout_ = ms; }
  // The pause between bind attempts, and how many attempts to make (0: no
  // limit, the server's way).
  void setBindRetry(int intervalMs, int maxAttempts) {
    bindRetryMs_ = intervalMs;
    bindAttempts_ = maxAttempts;
  }
  void setIdlePause(int ms) { idlePauseMs_ = ms; }

  const ZxErr& error() const { return error_; }
  // The local host name, recorded when an entry is opened.
  const ZxString& hostName() const { return hostName_; }

 private:
  bool setError(int code);
  bool setErrorText(int code, const zxos::SocketError& cause);
  void closeEntries(bool shutdownFirst);

  Entry entries_[kMaxEntries];
  int count_ = 0;
  int timeout_ = kDefaultTimeoutMs;
  int bindRetryMs_ = kDefaultBindRetryMs;
  int bindAttempts_ = 0;
  int idlePauseMs_ = kDefaultIdlePauseMs;
  ZxErr error_;
  ZxString hostName_;
};

// Answers a connection that a server turns away because it is full: on kind
// 1 reads the request and sends the message with tag 5 and version 350; on
// the datagram kinds drops the waiting datagram (left there, it would make
// the socket ready again at once); other kinds (kind 5 among them, whose
// secure exchange carries no data here) get no answer. Then closes the
// connection. False only when the kind-1 answer could not be sent.
bool rejectConnection(ZxConnection& connection);
