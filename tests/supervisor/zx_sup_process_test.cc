// Tests of the zxsupervisor program as a process on 127.0.0.1: every
// request's main path over the network, discovery and its domain, bad
// input (wrong version, cut, oversized, stalled, undecodable) dropped or
// refused while others are served, connections turned away beyond the
// limit, clean stops on SIGTERM and SIGINT with the jobs kept, and the
// errors it starts with.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/zx_bump_command.h"
#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "model/zx_job_id.h"
#include "model/zx_modify_command.h"
#include "model/zx_work_id.h"
#include "net/zx_net_peer.h"
#include "os/zx_os_host.h"
#include "zx_sup_client.h"
#include "zx_sup_process.h"

namespace {

using zxtest::Supervisor;
using zxtest::TempFolder;

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

std::vector<std::string> affected(const ZxResult& r) {
  std::vector<std::string> ids;
  for (int i = 0; i < r.jobIdList().count(); ++i) ids.push_back(str(r.jobIdList().get(i)->idText()));
  for (int i = 0; i < r.workIdList().count(); ++i) ids.push_back(str(r.workIdList().get(i)->idText()));
  return ids;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int countOf(const std::string& text, const std::string& word) {
  int n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

// A plain TCP connection to 127.0.0.1:port, -1 when it fails.
int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Reads the one frame of `bytes` into `message`.
bool messageOfFrame(const std::string& bytes, ZxMessage& message) {
  if (bytes.size() < 9 || bytes[0] != 2) return false;
  auto big32 = [&](size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
  };
  const uint32_t c = big32(1), u = big32(5);
  if (bytes.size() != 9 + c || u > (1u << 20)) return false;
  std::string payload(u, '\0');
  uLongf n = u;
  if (uncompress(reinterpret_cast<Bytef*>(&payload[0]), &n, reinterpret_cast<const Bytef*>(bytes.data() + 9),
                 c) != Z_OK ||
      n != u)
    return false;
  return message.unpack(payload.data(), static_cast<int>(u)) == ZxPack::kOk;
}

// Submits one job named `name`; its id, or -1.
int submitOne(zxsup::Client& client, const char* name, int items = 2) {
  ZxJobList jobs;
  jobs.append(zxsup::makeJob(ZxString(name), items));
  ZxString error;
  std::unique_ptr<ZxJobList> accepted = client.submit(jobs, error);
  EXPECT_TRUE(accepted) << str(error);
  return accepted && accepted->count() == 1 ? accepted->get(0)->id() : -1;
}

TEST(SupervisorProcess, EveryRequestOverTheNetwork) {
  TempFolder folder;
  Supervisor supe;
  ASSERT_TRUE(supe.start(folder.file("jobs.db"), {"--port-file", folder.file("port")}));
  EXPECT_EQ(readFile(folder.file("port")), std::to_string(supe.port()) + "\n");
  zxsup::Client client("127.0.0.1", supe.port(), 10000);
  client.setUser("alice");
  ASSERT_EQ(submitOne(client, "first", 3), 1);
  ASSERT_EQ(submitOne(client, "second"), 2);

  ZxQuery all;
  all.fieldList().append(new ZxField(ZxString("subjobs"), 0));
  ZxString error;
  std::unique_ptr<ZxJobList> jobs = client.query(all, error);
  ASSERT_TRUE(jobs) << str(error);
  ASSERT_EQ(jobs->count(), 2);
  EXPECT_EQ(str(jobs->get(0)->name()), "first");
  EXPECT_EQ(jobs->get(0)->subjobs().count(), 1);
  EXPECT_EQ(jobs->get(0)->todo(), 3);
  EXPECT_EQ(str(jobs->get(1)->user()), "alice");

  // Each command's main path, in an order in which each one applies.
  struct Step {
    int code;
    std::vector<std::string> targets;
    std::vector<std::string> affected;
  } steps[] = {
      {216, {"1"}, {"1"}},            // suspend
      {217, {"1"}, {"1"}},            // resume
      {210, {"1"}, {"1"}},            // block
      {215, {"1"}, {"1"}},            // unblock
      {211, {"1"}, {"1"}},            // modify
      {223, {"1"}, {"1"}},            // bump
      {208, {"1"}, {"1"}},            // interrupt
      {209, {"1"}, {"1"}},            // preempt
      {605, {"1:2"}, {"1:2"}},        // kill work
      {604, {"1:2"}, {"1:2"}},        // retry work
      {207, {"1", "2"}, {"1", "2"}},  // kill
      {220, {"2"}, {"2"}},            // retry
      {219, {"1"}, {"1"}},            // requeue
      {227, {"1"}, {"1"}},            // retire
      {201, {"1"}, {"1"}},            // remove
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.code);
    std::unique_ptr<ZxCommand> cmd;
    if (st.code == 211) {
      ZxModifyCommand* m = new ZxModifyCommand;
      m->job().setPriority(10);
      m->fields().append(new ZxField(ZxString("priority"), 0));
      cmd.reset(m);
    } else if (st.code == 223) {
      ZxBumpCommand* b = new ZxBumpCommand;
      b->setDirection(1);
      cmd.reset(b);
    } else {
      cmd.reset(new ZxCommand);
    }
    cmd->setRestrictions(false);
    for (const std::string& t : st.targets) {
      if (t.find(':') != std::string::npos)
        cmd->workIdList().append(new ZxWorkId(ZxString(t.c_str())));
      else
        cmd->jobIdList().append(new ZxJobId(ZxString(t.c_str())));
    }
    std::unique_ptr<ZxResult> r = client.command(st.code, *cmd, error);
    ASSERT_TRUE(r) << str(error);
    EXPECT_EQ(affected(*r), st.affected);
    EXPECT_EQ(r->error().code(), 0);
  }
  ZxQuery left;
  jobs = client.query(left, error);
  ASSERT_TRUE(jobs);
  ASSERT_EQ(jobs->count(), 1);
  EXPECT_EQ(jobs->get(0)->id(), 2);
  EXPECT_EQ(str(jobs->get(0)->status().name()), "pending");

  ZxTime t;
  ASSERT_TRUE(client.time(t, error)) << str(error);
  EXPECT_LE(std::llabs(t.toUnix() - ZxOsHost::unixNow()), 5);

  ZxString from;
  ASSERT_TRUE(client.discover(from, error)) << str(error);
  EXPECT_EQ(str(from), "127.0.0.1");
  EXPECT_EQ(supe.stop(), 0);
}

TEST(SupervisorProcess, DiscoveryForAnotherDomainIsLeftToItsSupervisor) {
  TempFolder folder;
  Supervisor supe;
  ASSERT_TRUE(supe.start(":memory:", {"--domain", "studio"}, folder.file("log")));
  struct Case {
    const char* domain;
    bool answered;
  } cases[] = {{"studio", true}, {"", true}, {"other", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.domain);
    zxsup::Client client("127.0.0.1", supe.port(), c.answered ? 10000 : 300);
    client.setZexaDomain(c.domain);
    ZxString from, error;
    EXPECT_EQ(client.discover(from, error), c.answered) << str(error);
  }
  EXPECT_EQ(supe.stop(), 0);
  EXPECT_NE(readFile(folder.file("log")).find("discovery for domain other left to its own supervisor"),
            std::string::npos);
}

TEST(SupervisorProcess, BadInputIsDroppedWhileOthersAreServed) {
  TempFolder folder;
  Supervisor supe;
  ASSERT_TRUE(
      supe.start(":memory:", {"--timeout", "300", "--max-request-bytes", "65536"}, folder.file("log")));
  zxsup::Client client("127.0.0.1", supe.port(), 10000);
  const std::string good = zxtest::zlibOf("payload");
  struct Case {
    const char* what;
    std::string bytes;
    bool answered;    // a refusal comes back; otherwise the connection is only closed
    bool closeFirst;  // the client closes its side after sending
  } cases[] = {
      {"a wrong version byte", zxtest::frameBytes(good, 7, 3), false, false},
      {"a frame cut short", zxtest::frameBytes(good, 7).substr(0, 12), false, true},
      {"a frame larger than allowed", zxtest::frameBytes(good, 1u << 20), false, false},
      {"a header and then nothing", zxtest::frameBytes(good, 7).substr(0, 9), false, false},
      {"nothing at all", std::string(), false, false},
      {"a payload that is no message", zxtest::frameOf("no message here"), true, false},
  };
  int dropped = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int fd = connectTo(supe.port());
    ASSERT_GE(fd, 0);
    const long long start = zxtest::nowMs();
    ASSERT_TRUE(zxtest::writeAll(fd, c.bytes));
    if (c.closeFirst) ::shutdown(fd, SHUT_WR);
    // Meanwhile another client is served.
    EXPECT_GT(submitOne(client, c.what), 0);
    const std::string answer = zxtest::readUntilClosed(fd, 10000);
    ::close(fd);
    EXPECT_LT(zxtest::nowMs() - start, 5000) << "dropped within the time limits";
    if (!c.answered) {
      ++dropped;
      EXPECT_EQ(answer, "");
      continue;
    }
    // One frame holding a refusal of the message.
    ZxMessage reply;
    ASSERT_TRUE(messageOfFrame(answer, reply));
    EXPECT_EQ(reply.tag(), 4);
    EXPECT_EQ(str(zxsup::refusalText(reply)), "message invalid");
  }
  // A message whose content is of a class no request carries: refused, and
  // the library's own line about it goes to the log, not to the standard
  // output that nobody reads any more.
  for (int i = 0; i < 3; ++i) {
    ZxMessage request(200), reply;
    request.setContent(new ZxMessage(1));
    ASSERT_TRUE(client.exchange(request, reply));
    EXPECT_EQ(reply.tag(), 4);
  }
  EXPECT_EQ(supe.stop(), 0);
  const std::string log = readFile(folder.file("log"));
  EXPECT_EQ(countOf(log, " dropped: "), dropped);
  EXPECT_EQ(countOf(log, "trying to decode unregistered class: 7"), 3) << log;
}

TEST(SupervisorProcess, ConnectionsBeyondTheLimitAreTurnedAway) {
  TempFolder folder;
  Supervisor supe;
  ASSERT_TRUE(supe.start(":memory:", {"--max-connections", "1", "--timeout", "3000"}, folder.file("log")));
  // A client that never sends holds the only worker.
  const int holder = connectTo(supe.port());
  ASSERT_GE(holder, 0);
  zxsup::Client client("127.0.0.1", supe.port(), 5000);
  int tag = 0, version = 0;
  for (int attempt = 0; attempt < 50 && tag != 5; ++attempt) {
    ZxMessage request(107), reply;
    ASSERT_TRUE(client.exchange(request, reply)) << str(client.error().message());
    tag = reply.tag();
    version = reply.version();
    if (tag != 5) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(tag, 5);
  EXPECT_EQ(version, 350);
  ::close(holder);
  // Once the worker is free again, requests are served.
  for (int attempt = 0; attempt < 100; ++attempt) {
    ZxMessage request(107), reply;
    ASSERT_TRUE(client.exchange(request, reply));
    tag = reply.tag();
    if (tag == 1) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(tag, 1);
  EXPECT_EQ(supe.stop(), 0);
  EXPECT_NE(readFile(folder.file("log")).find("turned away: all 1 connections busy"), std::string::npos);
}

TEST(SupervisorProcess, StopsCleanlyOnSignalsAndKeepsItsJobs) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    TempFolder folder;
    const std::string db = folder.file("jobs.db");
    {
      Supervisor supe;
      ASSERT_TRUE(supe.start(db));
      zxsup::Client client("127.0.0.1", supe.port(), 10000);
      for (const char* n : {"a", "b", "c"}) submitOne(client, n);
      supe.process().kill(signal);
      ASSERT_TRUE(supe.process().wait(15000));
      EXPECT_EQ(supe.process().status(), 0);
    }
    Supervisor again;
    ASSERT_TRUE(again.start(db));
    zxsup::Client client("127.0.0.1", again.port(), 10000);
    ZxQuery all;
    ZxString error;
    std::unique_ptr<ZxJobList> jobs = client.query(all, error);
    ASSERT_TRUE(jobs) << str(error);
    EXPECT_EQ(jobs->count(), 3);
    EXPECT_EQ(submitOne(client, "d"), 4);
    EXPECT_EQ(again.stop(), 0);
  }
}

TEST(SupervisorProcess, ErrorsAtStart) {
  TempFolder folder;
  Supervisor first;
  ASSERT_TRUE(first.start(":memory:"));
  std::ofstream(folder.file("text.db")) << "not a database at all, but long enough to look like a header\n";
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"--port", std::to_string(first.port()), "--db", ":memory:"}, 1, "cannot listen on 127.0.0.1 port"},
      {{"--port", "0", "--db", folder.file("text.db")}, 1, "not a database"},
      {{"--bogus"}, 2, "unknown option --bogus"},
      {{"--port", "70000"}, 2, "bad value for --port"},
      {{"--sync", "sometimes"}, 2, "bad value for --sync"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    std::vector<std::string> args = {ZX_SUPERVISOR_PATH};
    args.insert(args.end(), c.args.begin(), c.args.end());
    zxtest::Child child;
    const std::string err = folder.file("err");
    std::remove(err.c_str());
    ASSERT_TRUE(child.start(args, err));
    ASSERT_TRUE(child.wait(15000));
    EXPECT_EQ(child.status(), c.status);
    EXPECT_NE(readFile(err).find(c.says), std::string::npos) << readFile(err);
  }
  EXPECT_EQ(first.stop(), 0);
}

}  // namespace
