// Tests of ZxConnection over the loopback network against scripted peers:
// connecting and its failures, frame round trips from 1 byte to 16 MiB,
// hostile and broken frames, the time limits (connect, per wait, whole
// frame), SIGPIPE and EINTR, raw TCP, datagrams with the broadcast
// redirection, the reserved secure kinds and socket ownership.
#include "net/zx_connection.h"

#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/zx_frame.h"
#include "net/zx_net_peer.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZX_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZX_TEST_ASAN 1
#endif
#if defined(ZX_TEST_ASAN)
// From the sanitizer runtime (its header does not come with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using zxtest::big32;
using zxtest::frameBytes;
using zxtest::frameOf;
using zxtest::msSince;
using zxtest::ScriptedPeer;
using zxtest::writeAll;
using zxtest::zlibOf;
using Clock = std::chrono::steady_clock;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }
std::string bytesOf(const ZxByteBuffer& b) { return std::string(b.data(), b.size()); }
std::string message(const ZxConnection& c) { return str(c.error().message()); }

// Heap bytes in use by the whole process.
size_t allocatedBytes() {
#if defined(ZX_TEST_ASAN)
  return __sanitizer_get_current_allocated_bytes();
#else
  struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}

// Serves one connection: echoes every frame until the client stops.
void echoFrames(int fd) {
  ZxConnection peer(::dup(fd), ZxConnection::kTcp);
  ZxByteBuffer frame;
  while (peer.receive(frame))
    if (peer.send(frame.data(), frame.size()) < 0) break;
}

// A loopback port with nothing listening on it.
int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  ::close(fd);
  return ntohs(a.sin_port);
}

TEST(Connection, KindsNamesAndDefaults) {
  struct Case {
    int kind;
    const char* name;
  };
  const Case cases[] = {{1, "tcp"},           {2, "udp"},         {4, "raw_tcp"}, {5, "ssl_tcp"},
                        {6, "multicast_udp"}, {7, "ssl_raw_tcp"}, {3, "unknown"}, {0, "unknown"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_STREQ(ZxConnection::kindName(c.kind), c.name);
  }
  ZxConnection a;
  ZxConnection b;
  EXPECT_EQ(b.serial(), a.serial() + 1);
  EXPECT_EQ(a.kind(), 1);
  EXPECT_EQ(a.typeId(), 1);
  EXPECT_FALSE(a.isActive());
  EXPECT_EQ(a.timeout(), 30000);
  EXPECT_TRUE(a.peer().isNotSet());
  EXPECT_EQ(a.socket(), -1);
  // A connection that never connected refuses to carry data.
  EXPECT_EQ(a.send("x", 1), -1);
  EXPECT_EQ(a.error().code(), 3);
  EXPECT_EQ(message(a), "couldn't use nonactive connection");
}

TEST(Connection, HostsWrittenAsDottedQuadsAreReadDirectly) {
  struct Case {
    const char* text;
    bool dotted;
    uint32_t address;
  };
  const Case cases[] = {
      {"10.0.0.7", true, 167772167u},
      {"127.0.0.1", true, 0x7F000001u},
      {"255.255.255.255", true, 0xFFFFFFFFu},
      {"001.02.3.0004", true, 0x01020304u},
      {"256.0.0.1", false, 0},
      {"1.2.3", false, 0},
      {"1.2.3.4.5", false, 0},
      {"1.2.3.4 ", false, 0},
      {"1..3.4", false, 0},
      {"-1.2.3.4", false, 0},
      {"", false, 0},
      {"localhost", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint32_t address = 0;
    EXPECT_EQ(ZxConnection::parseDottedQuad(c.text, &address), c.dotted);
    if (c.dotted) {
      EXPECT_EQ(address, c.address);
    }
  }
  uint32_t address = 0;
  EXPECT_FALSE(ZxConnection::resolve(ZxString("127.0.0.1\0x", 11), &address));
}

TEST(Connection, ConnectFailuresLeaveItInactive) {
  ZxConnection noHost("", 50001);
  EXPECT_FALSE(noHost.isActive());
  EXPECT_EQ(noHost.error().code(), 32);
  EXPECT_EQ(message(noHost), "host name unspecified");

  ZxConnection refused("127.0.0.1", closedPort(), ZxConnection::kTcp, 2000);
  EXPECT_FALSE(refused.isActive());
  EXPECT_EQ(refused.error().code(), 35);
  EXPECT_EQ(message(refused), "unable to connect to host");
  EXPECT_EQ(str(refused.systemError().text()), "connect: Connection refused");
  // The line of code 35 names no reason; the error record carries it.
  ASSERT_NE(refused.error().value("ERROR"), nullptr);
  EXPECT_EQ(str(*refused.error().value("ERROR")), "Connection refused");
  EXPECT_EQ(refused.socket(), -1);
  EXPECT_EQ(refused.peer().dottedText(), ZxString("127.0.0.1"));
  EXPECT_EQ(refused.send("x", 1), -1);
  EXPECT_EQ(refused.error().code(), 3);
  ZxByteBuffer out;
  EXPECT_FALSE(refused.receive(out));
  EXPECT_EQ(refused.error().code(), 3);
}

TEST(Connection, ConnectWaitsNoLongerThanTheTimeout) {
  // A listener whose backlog is full drops new handshakes, so a connect to
  // it hangs as one to an unreachable host would.
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
  std::vector<int> fillers;
  for (int i = 0; i < 8; ++i) {
    int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(f);
  }
  auto start = Clock::now();
  ZxConnection c("127.0.0.1", ntohs(a.sin_port), ZxConnection::kTcp, 200);
  const long long elapsed = msSince(start);
  for (int f : fillers) ::close(f);
  ::close(listener);
  if (c.isActive()) GTEST_SKIP() << "this system completes connects beyond a full backlog";
  EXPECT_EQ(c.error().code(), 35);
  EXPECT_GE(elapsed, 150);
  EXPECT_LT(elapsed, 3000);
}

TEST(Connection, FramesRoundTripFromOneByteTo16MiB) {
  ScriptedPeer peer(echoFrames);
  ZxConnection c("127.0.0.1", peer.port());
  ASSERT_TRUE(c.isActive()) << message(c);
  EXPECT_EQ(c.peer().dottedText(), ZxString("127.0.0.1"));
  long long expected = 0;
  for (size_t n : {size_t(1), size_t(1024), size_t(65537), size_t(1) << 20, size_t(16) << 20}) {
    SCOPED_TRACE(n);
    const std::string payload = zxtest::recordBytes(n);
    const long long sent = c.send(payload.data(), payload.size());
    ASSERT_GT(sent, 0) << message(c);
    EXPECT_EQ(static_cast<size_t>(sent), zlibOf(payload).size());  // the compressed length
    ZxByteBuffer back;
    ASSERT_TRUE(c.receive(back)) << message(c);
    EXPECT_TRUE(bytesOf(back) == payload);
    expected += sent + static_cast<long long>(n);
  }
  EXPECT_EQ(c.transferred(), expected);
}

TEST(Connection, FramesArriveWholeWhateverThePieces) {
  const std::string payload = zxtest::recordBytes(20000);
  const std::string frame = frameOf(payload);
  for (size_t piece : {size_t(1), size_t(3), size_t(7), size_t(4096)}) {
    SCOPED_TRACE(piece);
    ScriptedPeer peer([&](int fd) {
      for (size_t at = 0; at < frame.size(); at += piece) {
        if (!writeAll(fd, frame.substr(at, piece))) return;
        // A pause now and then so the pieces arrive apart.
        if ((at / piece) % 64 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      zxtest::readUntilClosed(fd);
    });
    ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kTcp, 5000);
    ZxByteBuffer out;
    ASSERT_TRUE(c.receive(out)) << message(c);
    EXPECT_TRUE(bytesOf(out) == payload);
    EXPECT_EQ(c.transferred(), static_cast<long long>(payload.size()));
  }
}

TEST(Connection, BrokenAndHostileFramesFailWithTheirCode) {
  const std::string good = zlibOf("payload!");
  const std::string frame = frameOf("payload!");
  struct Case {
    const char* what;
    std::string bytes;
    bool stall;  // the peer keeps the connection open after its bytes
    int code;
    const char* text;  // null: not checked
  };
  const Case cases[] = {
      {"closed before anything", "", false, 16, "blank message"},
      {"version 3", frameBytes(good, 8, 3), true, 18, "tcp comm version doesn't match - version: 3"},
      {"compressed length 0", std::string("\x02", 1) + big32(0) + big32(8), true, 20, "no data in comm"},
      {"closed inside the compressed length", frame.substr(0, 3), false, 19,
       "couldn't read tcp comm length: connection closed by peer"},
      {"closed inside the length", frame.substr(0, 7), false, 19, nullptr},
      {"closed inside the body", frame.substr(0, frame.size() - 2), false, 41, "general error"},
      {"payload above the frame limit", frameBytes(good, ZxFrame::kMaxFrameBytes + 1), true, 14,
       "unable to allocate memory for network connection"},
      {"zlib garbage", frameBytes(std::string("\x78\x9cgarbage!", 10), 8), true, 21,
       "unable to uncompress data"},
      {"inflates short", frameBytes(good, 9), true, 21, nullptr},
      {"trailing bytes", frameBytes(good + "zz", 8), true, 21, nullptr},
      {"header then silence", frame.substr(0, 9), true, 15, "tcp receive socket timed out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedPeer peer([&](int fd) {
      writeAll(fd, c.bytes);
      if (c.stall) zxtest::readUntilClosed(fd);
    });
    ZxConnection conn("127.0.0.1", peer.port(), ZxConnection::kTcp, 300);
    ZxByteBuffer out;
    EXPECT_FALSE(conn.receive(out));
    EXPECT_EQ(conn.error().code(), c.code);
    if (c.text) {
      EXPECT_EQ(message(conn), c.text);
    }
    EXPECT_EQ(out.size(), 0u);
    EXPECT_EQ(out.capacity(), 0u);
  }
}

TEST(Connection, AHugeDeclaredFrameFromAStalledPeerCostsNoLargeAllocation) {
  // The header declares the largest frame allowed; no data follows. The
  // client must fail within its time limit, and while it waits it must not
  // hold anything near the 512 MiB the header claims.
  std::atomic<long long> grown{-1};
  ScriptedPeer peer([&](int fd) {
    const size_t before = allocatedBytes();
    writeAll(fd, std::string("\x02", 1) + big32(compressBound(ZxFrame::kMaxFrameBytes)) +
                     big32(ZxFrame::kMaxFrameBytes));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the client is waiting for data now
    grown = static_cast<long long>(allocatedBytes()) - static_cast<long long>(before);
    zxtest::readUntilClosed(fd);
  });
  ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kTcp, 400);
  auto start = Clock::now();
  ZxByteBuffer out;
  EXPECT_FALSE(c.receive(out));
  const long long elapsed = msSince(start);
  EXPECT_EQ(c.error().code(), 15);
  EXPECT_LT(elapsed, 400 * ZxConnection::kFrameDeadlineFactor + 1000);
  c.close();
  peer.join();
  EXPECT_GE(grown.load(), -(1LL << 20));
  EXPECT_LT(grown.load(), 8LL << 20) << "bytes allocated while the frame's data was awaited";
}

TEST(Connection, AReceiveLimitRefusesLargerFramesAtTheHeader) {
  // A frame declaring one byte more than the limit is refused as soon as
  // its header is in, without waiting for data that never comes; a frame
  // of exactly the limit is read.
  const std::string payload(1000, 'p');
  struct Case {
    uint32_t limit;
    bool read;
  } cases[] = {{1000, true}, {999, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.limit);
    ScriptedPeer peer([&](int fd) {
      const std::string frame = zxtest::frameOf(payload);
      // Only the header when the frame must be refused: its data would never come.
      writeAll(fd, k.read ? frame : frame.substr(0, ZxFrame::kHeaderSize));
      zxtest::readUntilClosed(fd, 5000);
    });
    ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kTcp, 3000);
    EXPECT_EQ(c.receiveLimit(), ZxFrame::kMaxFrameBytes);
    c.setReceiveLimit(k.limit);
    auto start = Clock::now();
    ZxByteBuffer out;
    EXPECT_EQ(c.receive(out), k.read);
    EXPECT_LT(msSince(start), 2000);
    if (k.read) {
      EXPECT_EQ(out.size(), payload.size());
    } else {
      EXPECT_EQ(c.error().code(), 14);
      EXPECT_EQ(out.capacity(), 0u);
    }
    c.close();
    peer.join();
  }
}

TEST(Connection, ASlowDripPeerEndsAtTheFrameDeadline) {
  // One byte per wait keeps every single wait short of the time limit; the
  // whole frame still has to arrive within kFrameDeadlineFactor limits.
  const std::string frame = frameOf(zxtest::recordBytes(100000));
  std::atomic<bool> stop{false};
  ScriptedPeer peer([&](int fd) {
    for (size_t at = 0; at < frame.size() && !stop; ++at) {
      if (!writeAll(fd, frame.substr(at, 1))) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const int timeout = 100;
  ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kTcp, timeout);
  auto start = Clock::now();
  ZxByteBuffer out;
  EXPECT_FALSE(c.receive(out));
  const long long elapsed = msSince(start);
  stop = true;
  c.close();
  EXPECT_EQ(c.error().code(), 15);
  EXPECT_GE(elapsed, timeout * ZxConnection::kFrameDeadlineFactor - 50);
  EXPECT_LT(elapsed, timeout * ZxConnection::kFrameDeadlineFactor + 2000);
}

TEST(Connection, SendingToAPeerThatLeftFailsWithoutSignal) {
  // SIGPIPE's default action ends the process: were it raised, this test
  // (and Maya) would die here.
  struct sigaction old {};
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &dfl, &old);
  for (int kind : {ZxConnection::kTcp, ZxConnection::kRawTcp}) {
    SCOPED_TRACE(kind);
    ScriptedPeer peer([](int) {});  // accepts and closes at once
    ZxConnection c("127.0.0.1", peer.port(), kind, 2000);
    ASSERT_TRUE(c.isActive());
    peer.join();
    const std::string payload = zxtest::recordBytes(1 << 20);
    long long r = 0;
    for (int i = 0; i < 50; ++i) {
      r = c.send(payload.data(), payload.size());
      if (r != static_cast<long long>(kind == ZxConnection::kTcp ? zlibOf(payload).size() : payload.size()))
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A frame refused from its first byte on cannot even be begun (6); raw
    // bytes report the system's reason (42).
    if (kind == ZxConnection::kTcp) {
      EXPECT_EQ(r, -1);
      EXPECT_EQ(c.error().code(), 6);
    } else {
      EXPECT_EQ(c.error().code(), 42);
      EXPECT_EQ(message(c).rfind("tcp send fail: ", 0), 0u) << message(c);
    }
    EXPECT_EQ(str(c.systemError().text()).rfind("send: ", 0), 0u) << str(c.systemError().text());
  }
  sigaction(SIGPIPE, &old, nullptr);
}

void onSignal(int) {}

TEST(Connection, SignalsDoNotCutWaitsShort) {
  // A handler without SA_RESTART makes every blocking call return EINTR.
  struct sigaction old {};
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGUSR1, &sa, &old);
  const std::string payload = "late but whole";
  ScriptedPeer peer([&](int fd) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    writeAll(fd, frameOf(payload));
    zxtest::readUntilClosed(fd);
  });
  ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kTcp, 3000);
  std::atomic<bool> done{false};
  pthread_t self = pthread_self();
  std::thread kicker([&] {
    while (!done) {
      pthread_kill(self, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  ZxByteBuffer out;
  const bool ok = c.receive(out);
  done = true;
  kicker.join();
  sigaction(SIGUSR1, &old, nullptr);
  ASSERT_TRUE(ok) << message(c);
  EXPECT_EQ(bytesOf(out), payload);
}

TEST(Connection, SendsGiveUpWhenThePeerStopsReading) {
  // The peer never reads: once the socket buffers are full every wait for
  // room times out.
  std::string noise(32 << 20, '\0');
  unsigned seed = 7;
  for (char& ch : noise) ch = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  struct Case {
    int kind;
    int code;
  };
  for (const Case& k : {Case{ZxConnection::kRawTcp, 9}, Case{ZxConnection::kTcp, 5}}) {
    SCOPED_TRACE(k.kind);
    std::atomic<bool> stop{false};
    ScriptedPeer peer([&](int) {
      while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    ZxConnection c("127.0.0.1", peer.port(), k.kind, 100);
    auto start = Clock::now();
    EXPECT_EQ(c.send(noise.data(), noise.size()), -1);
    const long long elapsed = msSince(start);
    stop = true;
    EXPECT_EQ(c.error().code(), k.code);
    EXPECT_LT(elapsed, 10000);
  }
}

TEST(Connection, RawTcpCarriesBytesAsTheyAre) {
  {
    ScriptedPeer peer([](int fd) {
      std::string got = zxtest::readUntilClosed(fd, 300);
      writeAll(fd, "echo:" + got);
    });
    ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kRawTcp, 3000);
    EXPECT_EQ(c.send("raw bytes", 9), 9);
    ::shutdown(c.socket(), SHUT_WR);
    ZxByteBuffer out;
    ASSERT_TRUE(c.receive(out)) << message(c);
    EXPECT_EQ(bytesOf(out), "echo:raw bytes");
    EXPECT_EQ(c.transferred(), 9 + 14);
  }
  {
    // A peer that closes before sending anything gives an empty result.
    ScriptedPeer peer([](int) {});
    ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kRawTcp, 3000);
    ZxByteBuffer out;
    EXPECT_TRUE(c.receive(out));
    EXPECT_EQ(out.size(), 0u);
  }
  {
    // An answer larger than the first block is read whole.
    const std::string big = zxtest::recordBytes(20000);
    ScriptedPeer peer([&](int fd) { writeAll(fd, big); });
    ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kRawTcp, 3000);
    peer.join();
    ZxByteBuffer out;
    ASSERT_TRUE(c.receive(out));
    EXPECT_TRUE(bytesOf(out) == big);
  }
  {
    // Silence is a time-out, not an empty answer.
    ScriptedPeer peer([](int fd) { zxtest::readUntilClosed(fd); });
    ZxConnection c("127.0.0.1", peer.port(), ZxConnection::kRawTcp, 100);
    ZxByteBuffer out;
    EXPECT_FALSE(c.receive(out));
    EXPECT_EQ(c.error().code(), 15);
  }
}

TEST(Connection, SecureKindsConnectButCarryNothing) {
  for (int kind : {ZxConnection::kSslTcp, ZxConnection::kSslRawTcp}) {
    SCOPED_TRACE(kind);
    ScriptedPeer peer([](int fd) { zxtest::readUntilClosed(fd, 2000); });
    ZxConnection c("127.0.0.1", peer.port(), kind, 2000);
    ASSERT_TRUE(c.isActive());
    EXPECT_EQ(c.send("x", 1), 0);
    ZxByteBuffer out;
    EXPECT_FALSE(c.receive(out));
    EXPECT_EQ(c.error().code(), 0);  // nothing failed: nothing travels on these kinds
    c.close();
    EXPECT_EQ(c.send("x", 1), 0);
    EXPECT_EQ(c.error().code(), 3);
  }
}

TEST(Connection, WrappedSocketsAreOwnedOnlyByStreamKinds) {
  int first = -1;
  int second = -1;
  ASSERT_TRUE(zxos::socketPair(zxos::SocketType::kStream, &first, &second, nullptr));
  {
    ZxConnection borrowed(first, ZxConnection::kUdp);
    EXPECT_TRUE(borrowed.isActive());
    EXPECT_FALSE(borrowed.ownsSocket());
  }
  EXPECT_NE(::fcntl(first, F_GETFD), -1) << "a datagram connection closed a socket it borrowed";
  {
    ZxConnection owned(first, ZxConnection::kTcp);
    EXPECT_TRUE(owned.ownsSocket());
    // Frames travel over any stream socket.
    ZxConnection other(second, ZxConnection::kTcp);
    ASSERT_GT(owned.send("pair", 4), 0);
    ZxByteBuffer out;
    ASSERT_TRUE(other.receive(out));
    EXPECT_EQ(bytesOf(out), "pair");
  }
  EXPECT_EQ(::fcntl(first, F_GETFD), -1);
  EXPECT_EQ(::fcntl(second, F_GETFD), -1);
}

// ---- datagrams ------------------------------------------------------------------

TEST(Datagram, EmptyHostSendsToTheRedirectedBroadcastAddress) {
  zxtest::LoopbackBroadcast guard;
  ASSERT_TRUE(guard.active());
  zxtest::LoopbackUdp server;
  ZxConnection c("", server.port(), ZxConnection::kUdp, 2000);
  EXPECT_FALSE(c.isActive());  // the socket opens with the first send
  EXPECT_EQ(c.send("ping", 4), 4);
  EXPECT_TRUE(c.isActive());
  int clientPort = 0;
  EXPECT_EQ(server.receive(&clientPort), std::string("\x02\x00\x00\x00\x04ping", 9));
  EXPECT_EQ(c.peer().dottedText(), ZxString("127.0.0.1"));

  // The answer's sender becomes the peer, so a further send goes back to it.
  server.sendTo(clientPort, std::string("\x02\x00\x00\x00\x04pong", 9));
  ZxByteBuffer out;
  ASSERT_TRUE(c.receive(out)) << message(c);
  EXPECT_EQ(bytesOf(out), "pong");
  EXPECT_EQ(c.peer().dottedText(), ZxString("127.0.0.1"));
  EXPECT_EQ(c.port(), server.port());
  EXPECT_EQ(c.transferred(), 8);
}

TEST(Datagram, ANamedHostIsResolvedOnce) {
  zxtest::LoopbackUdp server;
  ZxConnection c("127.0.0.1", server.port(), ZxConnection::kUdp, 2000);
  EXPECT_EQ(c.send("one", 3), 3);
  EXPECT_EQ(c.send("two", 3), 3);
  EXPECT_EQ(server.receive(), std::string("\x02\x00\x00\x00\x03one", 8));
  EXPECT_EQ(server.receive(), std::string("\x02\x00\x00\x00\x03two", 8));
}

TEST(Datagram, AnUnreadableRedirectionSendsNothing) {
  zxtest::LoopbackBroadcast guard;
  ASSERT_TRUE(guard.active());
  zxtest::ScopedEnv env;
  env.set("ZX_BROADCAST_ADDRESS", "127.0.0.1.9");  // five numbers: not an address
  zxtest::LoopbackUdp server;
  ZxConnection c("", server.port(), ZxConnection::kUdp, 2000);
  EXPECT_EQ(c.send("ping", 4), 0);
  EXPECT_EQ(c.error().code(), 12);
  EXPECT_EQ(message(c), "unable to resolve host name");
  EXPECT_EQ(server.receive(nullptr, 100), "");
}

TEST(Datagram, ShortLyingAndForeignDatagramsAreRefused) {
  struct Case {
    const char* what;
    std::string bytes;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"exactly five bytes", std::string("\x02\x00\x00\x00\x00", 5), 30, "blank message"},
      {"version 1", std::string("\x01\x00\x00\x00\x01x", 6), 31,
       "udp comm version doesn't match - version: 1"},
      {"declared longer than arrived", std::string("\x02\x00\x00\x00\x09short", 10), 30, "blank message"},
      {"negative length", std::string("\x02\xff\xff\xff\xffx", 6), 30, "blank message"},
  };
  zxtest::LoopbackUdp server;
  ZxConnection c("127.0.0.1", server.port(), ZxConnection::kUdp, 1000);
  ASSERT_EQ(c.send("hello", 5), 5);
  int clientPort = 0;
  server.receive(&clientPort);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    server.sendTo(clientPort, k.bytes);
    ZxByteBuffer out;
    EXPECT_FALSE(c.receive(out));
    EXPECT_EQ(c.error().code(), k.code);
    EXPECT_EQ(message(c), k.text);
  }
  c.setTimeout(50);
  ZxByteBuffer out;
  EXPECT_FALSE(c.receive(out));
  EXPECT_EQ(c.error().code(), 28);
  EXPECT_EQ(message(c), "udp receive socket timed out");
}

}  // namespace
