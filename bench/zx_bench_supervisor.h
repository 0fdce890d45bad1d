// A supervisor for the benchmarks: a thread on 127.0.0.1 that answers
// every framed request with one prepared frame (compressed once
// beforehand), so that a benchmark times the client alone.
#pragma once

#include <sys/socket.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "net/zx_connection.h"
#include "net/zx_listener.h"

namespace zxbench {

constexpr uint32_t kLoopbackAddress = 0x7F000001u;

inline bool writeAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t r = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (r <= 0) return false;
    sent += static_cast<size_t>(r);
  }
  return true;
}

// A supervisor on 127.0.0.1 that answers every request with one prepared
// frame, read and written without further work.
class PreparedSupervisor {
 public:
  explicit PreparedSupervisor(const std::string* frame) : frame_(frame) {
    listener_.setTimeout(50);
    const int i = listener_.addEntry(kLoopbackAddress, 0, ZxConnection::kTcp);
    if (!listener_.open(i)) return;
    port_ = listener_.entry(i).boundPort;
    thread_ = std::thread([this] {
      ZxByteBuffer request;
      while (!stop_) {
        const int ready = listener_.wait(0);
        if (ready < 0) continue;
        std::unique_ptr<ZxConnection> c = listener_.accept(ready);
        if (!c || !c->receive(request)) continue;
        writeAll(c->socket(), *frame_);
      }
    });
  }
  ~PreparedSupervisor() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  int port() const { return port_; }

 private:
  const std::string* frame_;
  ZxListener listener_;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

}  // namespace zxbench
