// ZxSupServer: binding, the accept loop, the workers, the answers to
// turned-away connections, discovery datagrams and the simulation ticker.
#include "zx_sup_server.h"

#include <chrono>
#include <new>

#include "message/zx_message.h"
#include "model/zx_address.h"

namespace zxsup {

namespace {

// How long the accept loop waits before it looks at the stop request again.
constexpr int kWaitMs = 200;
// A turned-away client gets this long for each wait of its request.
constexpr int kRejectTimeoutMs = 250;
// Ports tried for "any free port" before giving up (the UDP half of a
// port the system gave the TCP socket may be taken).
constexpr int kPortTries = 16;

long long msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

}  // namespace

std::string addressText(uint32_t address, int port) {
  return str(ZxAddress(address).dottedText()) + ":" + std::to_string(port);
}

Server::Server(Handler& handler, const ServerSettings& settings, Log log)
    : handler_(handler), settings_(settings), log_(std::move(log)) {
  if (settings_.maxConnections < 1) settings_.maxConnections = 1;
}

Server::~Server() = default;

void Server::line(const std::string& text) {
  if (log_) log_(text);
}

bool Server::open(ZxString& error) {
  for (int attempt = 0; attempt < kPortTries; ++attempt) {
    // Entries cannot be taken back, so each attempt starts a fresh listener.
    listener_.reset(new (std::nothrow) ZxListener);
    if (!listener_) {
      error = "out of memory";
      return false;
    }
    ZxListener& l = *listener_;
    l.setTimeout(kWaitMs);
    // A taken port is reported at once: a developer would rather hear that
    // than watch the supervisor wait for it.
    l.setBindRetry(10, 1);
    tcpEntry_ = l.addEntry(settings_.bindAddress, settings_.port, ZxConnection::kTcp);
    if (!l.open(tcpEntry_)) {
      error = l.error().message();
      return false;
    }
    port_ = l.entry(tcpEntry_).boundPort;
    udpEntry_ = l.addEntry(settings_.bindAddress, port_, ZxConnection::kUdp);
    if (l.open(udpEntry_)) return true;
    error = l.error().message();
    if (settings_.port != 0) return false;
  }
  return false;
}

void Server::run(const std::function<bool()>& stop) {
  if (!listener_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
  }
  for (int i = 0; i < settings_.maxConnections; ++i) threads_.emplace_back(&Server::worker, this);
  threads_.emplace_back(&Server::rejecter, this);
  threads_.emplace_back(&Server::ticker, this);

  while (!stop()) {
    const int ready = listener_->wait(0);
    if (ready < 0) continue;
    if (ready == udpEntry_) {
      serveDatagram(ready);
      continue;
    }
    if (ready != tcpEntry_) continue;
    std::unique_ptr<ZxConnection> c = listener_->accept(ready);
    if (!c) continue;
    std::unique_lock<std::mutex> lock(mutex_);
    if (busy_ >= settings_.maxConnections) {
      ++rejected_;
      const std::string peer = addressText(c->peer().number(), c->port());
      if (turnedAway_.size() < kMaxRejectQueue) {
        turnedAway_.push_back(std::move(c));
        lock.unlock();
        wake_.notify_all();
        line(peer + " turned away: all " + std::to_string(settings_.maxConnections) + " connections busy");
      } else {
        lock.unlock();
        c.reset();
        line(peer + " closed unanswered: too many connections waiting to be turned away");
      }
      continue;
    }
    ++busy_;
    work_.push_back(std::move(c));
    lock.unlock();
    wake_.notify_all();
  }

  // Accept no more; finish what was accepted.
  listener_->close();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

void Server::worker() {
  for (;;) {
    std::unique_ptr<ZxConnection> c;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !work_.empty(); });
      if (work_.empty()) return;  // stopping, and nothing left
      c = std::move(work_.front());
      work_.pop_front();
    }
    serve(*c);
    c.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    --busy_;
  }
}

void Server::rejecter() {
  for (;;) {
    std::unique_ptr<ZxConnection> c;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !turnedAway_.empty(); });
      if (turnedAway_.empty()) return;
      c = std::move(turnedAway_.front());
      turnedAway_.pop_front();
    }
    c->setTimeout(kRejectTimeoutMs);
    c->setReceiveLimit(settings_.maxRequestBytes);
    rejectConnection(*c);
  }
}

void Server::ticker() {
  if (handler_.settings().simulateSeconds < 0) return;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, std::chrono::milliseconds(settings_.tickMs), [this] { return stopping_; });
    if (stopping_) return;
    lock.unlock();
    ZxString summary;
    handler_.tick(summary);
    if (!summary.isEmpty()) line(str(summary));
    lock.lock();
  }
}

void Server::serve(ZxConnection& c) {
  const auto start = std::chrono::steady_clock::now();
  const std::string peer = addressText(c.peer().number(), c.port());
  c.setTimeout(settings_.requestTimeoutMs);
  c.setReceiveLimit(settings_.maxRequestBytes);
  ZxByteBuffer request;
  if (!c.receive(request)) {
    line(peer + " dropped: " + str(c.error().message()));
    return;
  }
  ZxByteBuffer answer;
  ZxString summary;
  if (!handler_.handleBytes(request.data(), request.size(), answer, summary)) {
    line(peer + " " + str(summary) + " (no answer: out of memory)");
    return;
  }
  request.reset();
  const bool sent = c.send(answer.data(), answer.size()) > 0;
  ++served_;
  if (!sent) {
    line(peer + " " + str(summary) + " (answer not sent: " + str(c.error().message()) + ")");
    return;
  }
  if (settings_.logRequests) line(peer + " " + str(summary) + " [" + std::to_string(msSince(start)) + " ms]");
}

void Server::serveDatagram(int entry) {
  std::unique_ptr<ZxConnection> c = listener_->accept(entry);
  if (!c) return;
  // The datagram is already there: a wait would only hold the accept loop.
  c->setTimeout(0);
  ZxByteBuffer bytes;
  if (!c->receive(bytes)) {
    line("datagram dropped: " + str(c->error().message()));
    return;
  }
  const std::string peer = addressText(c->peer().number(), c->port());
  ZxMessage request;
  if (request.unpack(bytes.data(), static_cast<int>(bytes.size())) != ZxPack::kOk) {
    line(peer + " datagram dropped: it does not decode");
    return;
  }
  if (request.tag() != Request::kDiscover) {
    line(peer + " datagram ignored: request " + std::to_string(request.tag()) + " is answered over TCP only");
    return;
  }
  if (!handler_.servesDomainOf(request)) {
    line(peer + " discovery for domain " + str(request.zexaDomain()) + " left to its own supervisor");
    return;
  }
  ZxMessage reply;
  ZxString summary;
  handler_.handle(request, reply, summary);
  const int n = reply.pack();
  if (n <= 0 || c->send(reply.buffer(), static_cast<size_t>(n)) <= 0) {
    line(peer + " discovery answer not sent: " + str(c->error().message()));
    return;
  }
  if (settings_.logRequests) line(peer + " " + str(request.user()) + ": discovery answered");
}

}  // namespace zxsup
