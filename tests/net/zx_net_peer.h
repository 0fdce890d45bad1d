// Test helpers for the transport: a scripted peer on 127.0.0.1 (a thread
// that accepts one connection and runs a script on it), byte helpers that
// build frames and datagrams by hand, and the guard that keeps every
// datagram sent with an empty host on the loopback network.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "config/zx_env_fixture.h"

namespace zxtest {

// Sends every byte (blocking, without SIGPIPE); false when the peer has gone.
inline bool writeAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t r = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    sent += static_cast<size_t>(r);
  }
  return true;
}

// Reads until the other side closes (or fails, or `limitMs` passes).
inline std::string readUntilClosed(int fd, int limitMs = 10000) {
  std::string out;
  char buf[65536];
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (std::chrono::steady_clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    ssize_t r = ::recv(fd, buf, sizeof buf, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    out.append(buf, static_cast<size_t>(r));
  }
  return out;
}

inline std::string big32(uint32_t v) {
  const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                     static_cast<char>(v)};
  return std::string(b, 4);
}

inline std::string zlibOf(const std::string& payload) {
  uLongf n = compressBound(payload.size());
  std::string out(n, '\0');
  compress(reinterpret_cast<Bytef*>(&out[0]), &n, reinterpret_cast<const Bytef*>(payload.data()),
           payload.size());
  out.resize(n);
  return out;
}

// A frame made by hand: version, c, u, then the compressed bytes as given.
inline std::string frameBytes(const std::string& compressed, uint32_t u, int version = 2) {
  return std::string(1, static_cast<char>(version)) + big32(static_cast<uint32_t>(compressed.size())) +
         big32(u) + compressed;
}
inline std::string frameOf(const std::string& payload) { return frameBytes(zlibOf(payload), payload.size()); }

// Bytes that look like packed records: field tags, lengths, names and
// numbers, compressing about as well as real messages do.
inline std::string recordBytes(size_t n) {
  std::string out;
  out.reserve(n + 64);
  unsigned seed = 12345;
  for (int i = 0; out.size() < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    out += "\x01\x00\x00\x00\x07job_";
    out += std::to_string(i);
    out += "\x02\x00\x00\x00\x04";
    out += std::to_string(seed % 100000);
    out += "/shots/sq010/render_v";
    out += std::to_string(seed % 97);
    out += ".exr";
  }
  out.resize(n);
  return out;
}

// A listening socket on 127.0.0.1 whose first connection a thread serves
// with `script` (the accepted socket is closed after the script returns).
class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::function<void(int)> script) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t size = sizeof a;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
      ADD_FAILURE() << "cannot listen on 127.0.0.1";
      return;
    }
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script] {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 10000) <= 0) return;  // nobody came
      int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      script(fd);
      ::close(fd);
    });
  }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;
  ~ScriptedPeer() {
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
  }
  int port() const { return port_; }
  // Waits for the script to end.
  void join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// A UDP socket bound to 127.0.0.1 with an OS-chosen port.
class LoopbackUdp {
 public:
  LoopbackUdp() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
      ADD_FAILURE() << "cannot bind a UDP socket on 127.0.0.1";
    port_ = ntohs(a.sin_port);
  }
  LoopbackUdp(const LoopbackUdp&) = delete;
  LoopbackUdp& operator=(const LoopbackUdp&) = delete;
  ~LoopbackUdp() { ::close(fd_); }
  int port() const { return port_; }
  int fd() const { return fd_; }

  // One datagram (empty when none came within limitMs) and its sender's port.
  std::string receive(int* senderPort = nullptr, int limitMs = 5000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, limitMs) <= 0) return std::string();
    char buf[70000];
    sockaddr_in from{};
    socklen_t size = sizeof from;
    ssize_t r = ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (senderPort) *senderPort = ntohs(from.sin_port);
    return r > 0 ? std::string(buf, static_cast<size_t>(r)) : std::string();
  }
  // Sends one datagram to 127.0.0.1:port.
  void sendTo(int port, const std::string& bytes) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// Keeps broadcasts of the scope on the loopback network: every test that
// sends a datagram with an empty host holds one. It refuses to let such a
// test go on unless the redirection really is in force.
class LoopbackBroadcast {
 public:
  LoopbackBroadcast() {
    env_.set("ZX_BROADCAST_ADDRESS", "127.0.0.1");
    const char* value = std::getenv("ZX_BROADCAST_ADDRESS");
    active_ = value && std::strncmp(value, "127.", 4) == 0;
  }
  // Use as: ASSERT_TRUE(guard.active());
  bool active() const { return active_; }

 private:
  ScopedEnv env_;
  bool active_ = false;
};

inline long long msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace zxtest
