// Tests of ZxListener on the loopback network: opening stream and datagram
// entries, accepting with the caller's address, the wait filter, the bind
// retry with its log line, the "too many connections" answer, the entry
// limit and closing.
#include "net/zx_listener.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "net/zx_net_peer.h"
#include "serial/zx_log_capture.h"
#include "message/zx_message.h"

namespace {

constexpr uint32_t kLoopback = 0x7F000001u;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }
std::string bytesOf(const ZxByteBuffer& b) { return std::string(b.data(), b.size()); }

TEST(Listener, AcceptsFramesOnAStreamEntry) {
  ZxListener l;
  const int i = l.addEntry(kLoopback, 0, ZxConnection::kTcp);
  ASSERT_TRUE(l.open(i)) << str(l.error().message());
  ASSERT_GT(l.entry(i).boundPort, 0);
  EXPECT_FALSE(l.hostName().isEmpty());

  ZxConnection client("127.0.0.1", l.entry(i).boundPort, ZxConnection::kTcp, 3000);
  ASSERT_TRUE(client.isActive());
  ASSERT_GT(client.send("request", 7), 0);
  ASSERT_EQ(l.wait(0), i);
  std::unique_ptr<ZxConnection> served = l.accept(i);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->kind(), ZxConnection::kTcp);
  EXPECT_TRUE(served->ownsSocket());
  EXPECT_EQ(served->peer().dottedText(), ZxString("127.0.0.1"));
  EXPECT_GT(served->port(), 0);
  ZxByteBuffer request;
  ASSERT_TRUE(served->receive(request));
  EXPECT_EQ(bytesOf(request), "request");
  ASSERT_GT(served->send("answer", 6), 0);
  ZxByteBuffer answer;
  ASSERT_TRUE(client.receive(answer));
  EXPECT_EQ(bytesOf(answer), "answer");

  // Nothing more waiting: accepting again fails at once rather than block.
  EXPECT_FALSE(l.accept(i));
  EXPECT_EQ(l.error().code(), 1040);
}

TEST(Listener, DatagramEntriesLendTheirSocket) {
  ZxListener l;
  const int i = l.addEntry(kLoopback, 0, ZxConnection::kUdp);
  ASSERT_TRUE(l.open(i));
  ZxConnection client("127.0.0.1", l.entry(i).boundPort, ZxConnection::kUdp, 3000);
  ASSERT_EQ(client.send("who serves?", 11), 11);
  ASSERT_EQ(l.wait(0), i);
  std::unique_ptr<ZxConnection> served = l.accept(i);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->kind(), ZxConnection::kUdp);
  EXPECT_FALSE(served->ownsSocket());
  ZxByteBuffer question;
  ASSERT_TRUE(served->receive(question));
  EXPECT_EQ(bytesOf(question), "who serves?");
  ASSERT_EQ(served->send("me", 2), 2);  // goes back to the sender
  served.reset();
  EXPECT_NE(::fcntl(l.entry(i).socket, F_GETFD), -1) << "the entry's socket must outlive the connection";
  ZxByteBuffer reply;
  ASSERT_TRUE(client.receive(reply));
  EXPECT_EQ(bytesOf(reply), "me");
}

TEST(Listener, TheFilterChoosesAmongReadyEntries) {
  // Entries 0..2 with the flags below; the ones marked ready get a waiting
  // datagram before the wait.
  struct Case {
    const char* what;
    bool ready[3];
    int filter;
    int expected;
  };
  const int flags[3] = {2, 1, 4 | 2};
  const Case cases[] = {
      {"filter 2 takes the first ready entry with bit 2", {false, true, true}, 2, 2},
      {"filter 2 ignores entries without bit 2", {false, true, false}, 2, -1},
      {"other filters prefer entries without bit 2", {true, true, true}, 4, 1},
      {"then an entry sharing a bit with the filter", {false, false, true}, 4, 2},
      {"an entry without bit 2 is taken whatever the filter", {false, true, false}, 0, 1},
      {"nothing shared, nothing taken", {true, false, false}, 1, -1},
      {"nothing ready", {false, false, false}, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZxListener l;
    l.setTimeout(50);
    for (int f : flags) ASSERT_TRUE(l.open(l.addEntry(kLoopback, 0, ZxConnection::kUdp, f)));
    zxtest::LoopbackUdp sender;
    for (int i = 0; i < 3; ++i)
      if (c.ready[i]) sender.sendTo(l.entry(i).boundPort, std::string("\x02\x00\x00\x00\x01x", 6));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(l.wait(c.filter), c.expected);
  }
}

TEST(Listener, ATakenPortIsRetriedAndLogged) {
  ZxListener holder;
  const int h = holder.addEntry(kLoopback, 0, ZxConnection::kTcp);
  ASSERT_TRUE(holder.open(h));
  const int port = holder.entry(h).boundPort;

  ZxListener l;
  l.setBindRetry(5, 3);
  const int i = l.addEntry(kLoopback, port, ZxConnection::kTcp);
  ZxLogCapture log;
  EXPECT_FALSE(l.open(i));
  EXPECT_EQ(l.error().code(), 1050);
  EXPECT_EQ(str(l.error().message()), "tcp bind fail: Address already in use");
  const std::string text = log.text();
  const std::string line = "INFO: waiting for tcp socket to open up - port: " + std::to_string(port) + "\n";
  size_t count = 0;
  for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
  EXPECT_EQ(count, 3u) << text;
  EXPECT_EQ(text.rfind("[", 0), 0u) << "the line is stamped";
  EXPECT_EQ(l.entry(i).socket, -1);

  // Once the port is free, the next attempt binds it.
  l.setBindRetry(20, 0);
  std::thread freer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    holder.close();
  });
  EXPECT_TRUE(l.open(i)) << str(l.error().message());
  freer.join();
  EXPECT_EQ(l.entry(i).boundPort, port);
}

TEST(Listener, AFullServerAnswersTooManyConnections) {
  ZxListener l;
  const int i = l.addEntry(kLoopback, 0, ZxConnection::kTcp);
  ASSERT_TRUE(l.open(i));
  ZxConnection client("127.0.0.1", l.entry(i).boundPort, ZxConnection::kTcp, 3000);
  ZxMessage request(200);
  const int n = request.pack();
  ASSERT_GT(client.send(request.buffer(), static_cast<size_t>(n)), 0);
  ASSERT_EQ(l.wait(0), i);
  EXPECT_TRUE(l.reject(i));
  EXPECT_EQ(l.error().code(), 1051);
  EXPECT_EQ(str(l.error().message()), "connection rejected - too many connections");

  ZxByteBuffer reply;
  ASSERT_TRUE(client.receive(reply));
  ZxMessage answer;
  ASSERT_EQ(answer.unpack(reply.data(), static_cast<int>(reply.size())), 0);
  EXPECT_EQ(answer.tag(), 5);
  EXPECT_EQ(answer.version(), 350);
  // And the server closed the connection after its answer.
  EXPECT_FALSE(client.receive(reply));
  EXPECT_EQ(client.error().code(), 16);
}

TEST(Listener, HoldsAtMost128EntriesAndClosesThemAll) {
  ZxListener l;
  for (int i = 0; i < ZxListener::kMaxEntries; ++i)
    ASSERT_EQ(l.addEntry(kLoopback, 0, ZxConnection::kUdp), i);
  EXPECT_EQ(l.addEntry(kLoopback, 0, ZxConnection::kUdp), -1);
  EXPECT_EQ(l.count(), 128);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(l.open(i));
  const int s0 = l.entry(0).socket;
  l.shutdownClose();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(l.entry(i).socket, -1);
  EXPECT_EQ(::fcntl(s0, F_GETFD), -1);

  // Unknown kinds cannot be opened; an empty listener only pauses.
  ZxListener other;
  EXPECT_FALSE(other.open(other.addEntry(0, 0, 3)));
  EXPECT_EQ(other.error().code(), 1043);
  ZxListener empty;
  empty.setIdlePause(1);
  EXPECT_EQ(empty.wait(0), -1);
}

}  // namespace
