// ZxSupServer: the network side of the local supervisor. It listens for
// framed TCP requests and UDP discovery datagrams on one port, serves each
// TCP connection's request on a worker thread, turns connections away
// when all workers are busy, and runs the simulation's clock.
//
// Threads: the caller's (the accept loop, which also answers discovery
// datagrams), a pool of maxConnections workers, one thread that answers
// turned-away connections (so that a client that never sends its request
// cannot stall the accept loop), and the simulation ticker.
//
// One request per connection: a worker reads one frame (each wait at most
// requestTimeoutMs; the whole frame within the transport's deadline; at
// most maxRequestBytes of payload), answers it and closes the connection.
// A frame that is malformed, truncated, too large or too slow is dropped
// with a log line; a frame whose message does not decode is answered with
// a refusal. Either way the other connections go on being served.
//
// Every request gets one log line: peer, user, what was done, time taken.
// Lines go to the log function, which may be called from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/zx_connection.h"
#include "net/zx_listener.h"
#include "util/zx_string.h"
#include "zx_sup_handler.h"

namespace zxsup {

struct ServerSettings {
  uint32_t bindAddress = 0x7F000001u;  // 127.0.0.1
  int port = 50001;                    // 0: any free port (TCP and UDP share it)
  int maxConnections = 64;
  // Each wait for a request's bytes; the whole frame gets the transport's
  // multiple of it.
  int requestTimeoutMs = 10000;
  // A request's payload (the packed message) is at most this large. 16 MiB
  // carries a submission of some four hundred jobs of a hundred work items
  // each, and keeps what one connection can make the decoder build (32
  // bytes of records per byte, plus 32 MiB) to about half a gigabyte.
  uint32_t maxRequestBytes = 16u << 20;
  // How often the simulation looks for work that is due.
  int tickMs = 250;
  // Log request lines (turned-away and dropped connections are always logged).
  bool logRequests = true;
};

class Server {
 public:
  using Log = std::function<void(const std::string& line)>;
  // Turned-away connections waiting for their answer beyond this many are
  // closed without one.
  static constexpr size_t kMaxRejectQueue = 64;

  Server(Handler& handler, const ServerSettings& settings, Log log);
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ~Server();

  // Binds the TCP and UDP sockets. False with `error` when the port (or,
  // for port 0, every port tried) is taken or cannot be bound.
  bool open(ZxString& error);
  // The port bound (after open()).
  int port() const { return port_; }

  // Serves until `stop()` answers true (asked every few hundred
  // milliseconds), then stops accepting, finishes the requests already
  // accepted and returns.
  void run(const std::function<bool()>& stop);

  // Requests answered, and connections turned away, so far.
  long long served() const { return served_.load(); }
  long long rejected() const { return rejected_.load(); }

 private:
  void worker();
  void rejecter();
  void ticker();
  void serve(ZxConnection& connection);
  void serveDatagram(int entry);
  void line(const std::string& text);

  Handler& handler_;
  ServerSettings settings_;
  Log log_;
  std::unique_ptr<ZxListener> listener_;
  int tcpEntry_ = -1;
  int udpEntry_ = -1;
  int port_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::unique_ptr<ZxConnection>> work_;
  std::deque<std::unique_ptr<ZxConnection>> turnedAway_;
  int busy_ = 0;  // connections queued or being served
  bool stopping_ = false;
  std::vector<std::thread> threads_;

  std::atomic<long long> served_{0};
  std::atomic<long long> rejected_{0};
};

// The text of an IPv4 address and port: "127.0.0.1:50001".
std::string addressText(uint32_t address, int port);

}  // namespace zxsup
