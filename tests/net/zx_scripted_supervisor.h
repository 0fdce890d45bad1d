// A scripted supervisor for tests and benchmarks: a thread serving framed
// TCP (and, when asked, datagrams on the same port) on a loopback address,
// built on ZxListener. It records every request it receives and answers
// each from its script, in order:
//   reply(tag, content, version)  a message, packed and sent as one frame;
//   closeAnswer()                 the connection closed without an answer;
//   frameAnswer(bytes)            prepared frame bytes written as they are
//                                 (a benchmark's reply, compressed once).
// A request that finds the script empty gets closeAnswer(), so a test that
// expects fewer rounds than the client makes sees the difference.
//
// Every address it binds is in 127.0.0.0/8; nothing leaves the machine.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "message/zx_message.h"
#include "net/zx_connection.h"
#include "net/zx_listener.h"
#include "net/zx_net_peer.h"

namespace zxtest {

constexpr uint32_t kLoopbackAddress = 0x7F000001u;

struct Answer {
  enum Kind { kReply, kClose, kFrame };
  Kind kind = kClose;
  std::string payload;  // kReply: the packed message; kFrame: the frame bytes
};

// A reply message with `tag`, `version` and `content` (taken over and
// destroyed here; null: none). A content type other than -1 replaces the
// one the content declares.
inline Answer reply(int tag, ZxPack* content = nullptr, int version = ZxMessage::kProtocolVersion,
                    int contentType = -1) {
  ZxMessage message(tag);
  message.setVersion(version);
  message.setContent(content);
  if (contentType != -1) message.setContentType(contentType);
  Answer a;
  a.kind = Answer::kReply;
  if (message.pack() > 0) a.payload.assign(message.buffer(), static_cast<size_t>(message.used()));
  return a;
}

inline Answer closeAnswer() { return Answer(); }

inline Answer frameAnswer(std::string frame) {
  Answer a;
  a.kind = Answer::kFrame;
  a.payload = std::move(frame);
  return a;
}

// One request as the supervisor received it.
struct Received {
  bool datagram = false;
  std::string bytes;  // the payload: a packed message

  // The request decoded (content recreated through the class registry).
  std::unique_ptr<ZxMessage> message() const {
    std::unique_ptr<ZxMessage> m(new ZxMessage);
    m->unpack(bytes.data(), static_cast<int>(bytes.size()));
    return m;
  }
};

class ScriptedSupervisor {
 public:
  // Listens on address:port (port 0: a free one); with `datagrams` also
  // for datagrams on the same port.
  explicit ScriptedSupervisor(uint32_t address = kLoopbackAddress, int port = 0, bool datagrams = false)
      : address_(address) {
    listener_.setTimeout(20);
    listener_.setBindRetry(10, 3);
    const int tcp = listener_.addEntry(address, port, ZxConnection::kTcp);
    if (!listener_.open(tcp)) {
      ADD_FAILURE() << "cannot listen on the loopback address: " << listener_.error().message();
      return;
    }
    port_ = listener_.entry(tcp).boundPort;
    if (datagrams) {
      const int udp = listener_.addEntry(address, port_, ZxConnection::kUdp);
      if (!listener_.open(udp)) {
        ADD_FAILURE() << "cannot bind a datagram socket on port " << port_;
        return;
      }
    }
    thread_ = std::thread([this] { serve(); });
  }
  ScriptedSupervisor(const ScriptedSupervisor&) = delete;
  ScriptedSupervisor& operator=(const ScriptedSupervisor&) = delete;
  ~ScriptedSupervisor() { stop(); }

  int port() const { return port_; }
  // The dotted address it listens on.
  std::string host() const {
    ZxAddress a(address_);
    return std::string(a.dottedText().c_str());
  }

  // Answers for framed requests, and for datagrams, in order.
  void add(Answer a) {
    std::lock_guard<std::mutex> hold(mutex_);
    tcpScript_.push_back(std::move(a));
  }
  void addDatagram(Answer a) {
    std::lock_guard<std::mutex> hold(mutex_);
    udpScript_.push_back(std::move(a));
  }

  // Every request received so far.
  std::vector<Received> received() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return received_;
  }
  int count(bool datagrams = false) const {
    std::lock_guard<std::mutex> hold(mutex_);
    int n = 0;
    for (const Received& r : received_) n += r.datagram == datagrams ? 1 : 0;
    return n;
  }

  void stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    listener_.close();
  }

 private:
  Answer next(bool datagram) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::deque<Answer>& script = datagram ? udpScript_ : tcpScript_;
    if (script.empty()) return closeAnswer();
    Answer a = std::move(script.front());
    script.pop_front();
    return a;
  }

  void record(bool datagram, const ZxByteBuffer& payload) {
    std::lock_guard<std::mutex> hold(mutex_);
    Received r;
    r.datagram = datagram;
    r.bytes.assign(payload.data(), payload.size());
    received_.push_back(std::move(r));
  }

  void serve() {
    ZxByteBuffer payload;
    while (!stopping_) {
      const int i = listener_.wait(0);
      if (i < 0) continue;
      std::unique_ptr<ZxConnection> c = listener_.accept(i);
      if (!c) continue;
      c->setTimeout(5000);
      const bool datagram = c->kind() == ZxConnection::kUdp;
      if (!c->receive(payload)) continue;
      record(datagram, payload);
      const Answer a = next(datagram);
      if (a.kind == Answer::kReply)
        c->send(a.payload.data(), a.payload.size());
      else if (a.kind == Answer::kFrame)
        writeAll(c->socket(), a.payload);
      c->close();
    }
  }

  uint32_t address_;
  int port_ = 0;
  ZxListener listener_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::deque<Answer> tcpScript_;
  std::deque<Answer> udpScript_;
  std::vector<Received> received_;
};

// A port on 127.0.0.1 where nothing listens (connections are refused).
inline int refusingPort() {
  ZxListener l;
  const int i = l.addEntry(kLoopbackAddress, 0, ZxConnection::kTcp);
  if (!l.open(i)) return 1;
  return l.entry(i).boundPort;  // closed again when `l` goes
}

}  // namespace zxtest
