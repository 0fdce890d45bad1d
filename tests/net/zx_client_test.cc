// Tests of the supervisor exchange over the loopback network: stamping,
// one round and how each reply tag is read, the pauses and their bounds,
// the route (explicit supervisor, the list from a random start with
// wrap-around, redirects), the warning when nothing is configured, the
// datagram round and the one-way sends.
#include "net/zx_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model/zx_domain.h"
#include "model/zx_host_name.h"
#include "model/zx_job_id_list.h"
#include "model/zx_server_records.h"
#include "net/zx_client_fixture.h"
#include "net/zx_scripted_supervisor.h"
#include "os/zx_os_adapters.h"
#include "os/zx_os_user.h"
#include "serial/zx_log_capture.h"

namespace {

using zxtest::Answer;
using zxtest::FakeClock;
using zxtest::ScriptedSupervisor;
using zxtest::str;

constexpr uint32_t kLoopback2 = 0x7F000002u;
constexpr uint32_t kLoopback3 = 0x7F000003u;

class ExchangeTest : public zxtest::ClientTest {};

// A request as the operations send one.
struct Request {
  ZxMessage message{100};
};

TEST_F(ExchangeTest, StampsTheSenderIntoEveryRequest) {
  ScriptedSupervisor s;
  writeConf(s.port(), "zx_domain = farm\nzx_region = east\n");
  s.add(zxtest::reply(200));
  s.add(zxtest::reply(200));
  ZxClient client;
  client.setTimeout(5000);
  Request r;
  ZxMessage reply;
  ASSERT_TRUE(client.exchange("127.0.0.1", s.port(), r.message, reply));
  client.setDomain("other");
  ASSERT_TRUE(client.exchange("127.0.0.1", s.port(), r.message, reply));

  ZxString user;
  if (!zxos::userName(user)) user.clear();
  const std::vector<zxtest::Received> got = s.received();
  ASSERT_EQ(got.size(), 2u);
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    std::unique_ptr<ZxMessage> m = got[i].message();
    EXPECT_EQ(m->tag(), 100);
    EXPECT_EQ(m->version(), 530);
    EXPECT_EQ(str(m->user()), str(user));
    EXPECT_EQ(str(m->domain()), "STUDIO");
    EXPECT_EQ(str(m->macAddress().value()), str(ZxMacAddress(zxos::hardwareAddress()).value()));
    EXPECT_EQ(str(m->zexaDomain()), i == 0 ? "farm" : "other");
    EXPECT_EQ(str(m->zexaRegion()), "east");
  }
  EXPECT_EQ(str(reply.senderAddress().dottedText()), "127.0.0.1");
  EXPECT_EQ(str(client.lastHost()), "127.0.0.1");
}

TEST_F(ExchangeTest, EachReplyTagAndFailureIsReadItsWay) {
  struct Case {
    const char* name;
    std::function<Answer()> answer;  // null: nobody listens
    bool ok;
    int tag;
    int error;
    std::string log;
    std::vector<int> pauses;
    bool rejected;
  };
  const std::vector<Case> cases = {
      {"result", [] { return zxtest::reply(200); }, true, 200, 0, "", {}, false},
      {"no result", [] { return zxtest::reply(0); }, false, 0, 0, "", {1}, false},
      {"full",
       [] { return zxtest::reply(5, nullptr, 350); },
       false,
       5,
       1051,
       "ERROR: max connections reached for 127.0.0.1 - connection rejected.\n",
       {1},
       true},
      {"redirect",
       [] { return zxtest::reply(7, new ZxHostName("127.0.0.2", 0, -1)); },
       true,
       7,
       0,
       "",
       {},
       false},
      {"closed without answer",
       [] { return zxtest::closeAnswer(); },
       false,
       0,
       16,
       "ERROR: unable to receive from 127.0.0.1 - blank message.\n",
       {},
       false},
      {"refused",
       nullptr,
       false,
       0,
       35,
       "ERROR: unable to establish tcp connection with 127.0.0.1 - unable to connect to host.\n",
       {},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock::pauses().clear();
    std::unique_ptr<ScriptedSupervisor> s;
    int port = zxtest::refusingPort();
    if (c.answer) {
      s.reset(new ScriptedSupervisor);
      s->add(c.answer());
      port = s->port();
    }
    writeConf(port);
    ZxClient client;
    client.setTimeout(5000);
    Request r;
    ZxMessage reply;
    ZxLogCapture log;
    EXPECT_EQ(client.exchange("127.0.0.1", port, r.message, reply), c.ok);
    EXPECT_EQ(reply.tag(), c.tag);
    EXPECT_EQ(client.error().code(), c.error);
    EXPECT_EQ(log.text(), c.log);
    EXPECT_EQ(FakeClock::pauses(), c.pauses);
    EXPECT_EQ(client.rejected(), c.rejected);
  }
}

TEST_F(ExchangeTest, AnEmptyHostIsRefusedSilently) {
  writeConf(zxtest::refusingPort());
  ZxClient client;
  Request r;
  ZxMessage reply;
  ZxLogCapture log;
  EXPECT_FALSE(client.exchange("", 1, r.message, reply));
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(client.error().code(), 0);
  EXPECT_EQ(str(client.lastHost()), "");
}

TEST(Pauses, RefusalsPauseOneToTheirSpanInWholeSeconds) {
  struct Case {
    int random;
    int span;
    int seconds;
  };
  const Case cases[] = {{0, 10, 1},      {3276, 10, 1},   {3277, 10, 2}, {16384, 10, 6},
                        {32767, 10, 10}, {0, 20, 1},      {1638, 20, 1}, {1639, 20, 2},
                        {32767, 20, 20}, {99999, 10, 10}, {-5, 20, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.random) + " of " + std::to_string(c.span));
    zxtest::FakeClock::install();
    zxtest::FakeClock::randoms() = {c.random};
    EXPECT_EQ(zxclient::pauseAfterRefusal(c.span), c.seconds);
    zxtest::FakeClock::uninstall();
  }
}

TEST_F(ExchangeTest, TheRoundsPauseWithinTheirBounds) {
  // A refused round pauses 1 to 10 s; a datagram round answered "no result"
  // 1 to 20 s. The lowest and highest numbers give the bounds.
  ScriptedSupervisor s(zxtest::kLoopbackAddress, 0, true);
  writeConf(s.port());
  for (int i = 0; i < 2; ++i) {
    s.add(zxtest::reply(0));
    s.add(zxtest::reply(5, nullptr, 350));
    s.addDatagram(zxtest::reply(0));
  }
  s.addDatagram(zxtest::reply(5, nullptr, 350));
  FakeClock::randoms() = {0, 0, 0, 32767, 32767, 32767, 32767};
  ZxClient client;
  client.setTimeout(5000);
  Request r;
  ZxMessage reply;
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(client.exchange("127.0.0.1", s.port(), r.message, reply));
    EXPECT_FALSE(client.exchange("127.0.0.1", s.port(), r.message, reply));
    EXPECT_FALSE(client.broadcastExchange(s.port(), r.message, reply));
  }
  ZxLogCapture log;
  EXPECT_FALSE(client.broadcastExchange(s.port(), r.message, reply));
  EXPECT_TRUE(client.rejected());
  EXPECT_EQ(client.error().code(), 1051);
  EXPECT_EQ(log.text(), "ERROR: max connections reached.\n");
  EXPECT_EQ(FakeClock::pauses(), (std::vector<int>{1, 1, 1, 10, 10, 20, 10}));
}

// ---- the route ---------------------------------------------------------------------

class RouteTest : public zxtest::ClientTest {};

TEST_F(RouteTest, TheListIsTriedOnceEachFromARandomStartWrappingAround) {
  ScriptedSupervisor a;
  ScriptedSupervisor b(kLoopback2, a.port());
  ScriptedSupervisor c(kLoopback3, a.port());
  writeConf(a.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1 127.0.0.2,127.0.0.3");
  struct Case {
    int random;
    std::vector<std::string> order;
  };
  const Case cases[] = {{0, {"127.0.0.1", "127.0.0.2", "127.0.0.3"}},
                        {10923, {"127.0.0.2", "127.0.0.3", "127.0.0.1"}},
                        {32767, {"127.0.0.3", "127.0.0.1", "127.0.0.2"}}};
  int round = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.random);
    ++round;
    FakeClock::randoms() = {k.random};
    ZxClient client;
    client.setTimeout(5000);
    Request r;
    ZxMessage reply;
    ZxLogCapture log;
    // Nobody answers (the script is empty: each supervisor closes at once).
    EXPECT_FALSE(client.callSupervisor(r.message, reply));
    std::string expected;
    for (const std::string& host : k.order)
      expected += "ERROR: unable to receive from " + host + " - blank message.\n";
    EXPECT_EQ(log.text(), expected);
    EXPECT_EQ(a.count(), round);
    EXPECT_EQ(b.count(), round);
    EXPECT_EQ(c.count(), round);
  }
}

TEST_F(RouteTest, AFullSupervisorSendsTheClientToTheNextOne) {
  ScriptedSupervisor a;
  ScriptedSupervisor b(kLoopback2, a.port());
  writeConf(a.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1 127.0.0.2");
  a.add(zxtest::reply(5, nullptr, 350));
  b.add(zxtest::reply(200));
  ZxClient client;
  client.setTimeout(5000);
  Request r;
  ZxMessage reply;
  EXPECT_TRUE(client.callSupervisor(r.message, reply));
  EXPECT_EQ(reply.tag(), 200);
  EXPECT_FALSE(client.rejected());
  EXPECT_EQ(client.error().code(), 1051);  // the failure of the first round stays recorded
  EXPECT_EQ(FakeClock::pauses(), std::vector<int>{1});
  EXPECT_EQ(a.count(), 1);
  EXPECT_EQ(b.count(), 1);
}

TEST_F(RouteTest, NothingOfAnEarlierAnswerSurvivesIntoTheNext) {
  // The first supervisor turns the client away with a content; the second
  // answers without one. The reply must be the second answer alone.
  ScriptedSupervisor a;
  ScriptedSupervisor b(kLoopback2, a.port());
  writeConf(a.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1 127.0.0.2");
  ZxJobIdList* stale = new ZxJobIdList;
  stale->append(new ZxJobId(99));
  a.add(zxtest::reply(5, stale, 350));
  b.add(zxtest::reply(201));
  ZxClient client;
  client.setTimeout(5000);
  Request r;
  ZxMessage reply;
  ASSERT_TRUE(client.callSupervisor(r.message, reply));
  EXPECT_EQ(reply.tag(), 201);
  EXPECT_EQ(reply.content(), nullptr);
  EXPECT_EQ(reply.contentType(), 0);
  EXPECT_EQ(reply.version(), 530);
}

TEST_F(RouteTest, AListEntryWithItsOwnPortUsesIt) {
  ScriptedSupervisor a;
  writeConf(zxtest::refusingPort());
  ZxClient client;
  client.setTimeout(5000);
  client.supervisors().append(new ZxHostName("127.0.0.1", a.port(), -1));
  a.add(zxtest::reply(200));
  Request r;
  ZxMessage reply;
  EXPECT_TRUE(client.callSupervisor(r.message, reply));
  EXPECT_EQ(a.count(), 1);
}

TEST_F(RouteTest, OneRedirectIsFollowedWhenItsContentNamesAHost) {
  struct Case {
    const char* name;
    std::function<Answer()> first;   // the answer of 127.0.0.1
    std::function<Answer()> second;  // the answer of 127.0.0.2, the host redirected to
    bool ok;
    int secondCount;
  };
  const std::vector<Case> cases = {
      {"host name record", [] { return zxtest::reply(7, new ZxHostName("127.0.0.2", 0, -1)); },
       [] { return zxtest::reply(200); }, true, 1},
      {"any record whose first field is the host",
       [] {
         ZxServerRecord* host = ZxServerRecord::create(9);
         host->addString(1, "127.0.0.2");
         host->addInt(2, 4);
         return zxtest::reply(7, host);
       },
       [] { return zxtest::reply(200); }, true, 1},
      {"no content", [] { return zxtest::reply(7); }, [] { return zxtest::reply(200); }, false, 0},
      {"content of another declared class",
       [] { return zxtest::reply(7, new ZxHostName("127.0.0.2", 0, -1), 530, 64); },
       [] { return zxtest::reply(200); }, false, 0},
      {"first field not a host", [] { return zxtest::reply(7, new ZxTime(5)); },
       [] { return zxtest::reply(200); }, false, 0},
      {"the redirected host redirects back",
       [] { return zxtest::reply(7, new ZxHostName("127.0.0.2", 0, -1)); },
       [] { return zxtest::reply(7, new ZxHostName("127.0.0.1", 0, -1)); }, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedSupervisor a;
    ScriptedSupervisor b(kLoopback2, a.port());
    ScriptedSupervisor third(kLoopback3, a.port());
    writeConf(a.port());
    // 127.0.0.3 comes after 127.0.0.1 in the list: a redirect ends the
    // route, so it is never asked.
    env_.set("ZX_SUPERVISOR", "127.0.0.1 127.0.0.3");
    a.add(c.first());
    b.add(c.second());
    third.add(zxtest::reply(200));
    ZxClient client;
    client.setTimeout(5000);
    Request r;
    ZxMessage reply;
    EXPECT_EQ(client.callSupervisor(r.message, reply), c.ok);
    EXPECT_EQ(a.count(), 1);
    EXPECT_EQ(b.count(), c.secondCount);
    EXPECT_EQ(third.count(), 0);
  }
}

TEST_F(RouteTest, AnExplicitSupervisorShortCutsEverythingElse) {
  ScriptedSupervisor a(zxtest::kLoopbackAddress, 0, true);
  writeConf(a.port(), "zx_domain = farm\n");
  env_.set("ZX_SUPERVISOR", "127.0.0.1");
  a.add(zxtest::reply(200));
  a.addDatagram(zxtest::reply(402));
  ZxClient client;
  client.setTimeout(5000);
  client.setSupervisor("127.0.0.4");  // nobody listens there
  Request r;
  ZxMessage reply;
  EXPECT_FALSE(client.callSupervisor(r.message, reply));
  EXPECT_EQ(client.error().code(), 35);
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.count(true), 0);

  // callSupervisorAt falls back to the route when its host fails.
  ZxClient fallback;
  fallback.setTimeout(5000);
  EXPECT_TRUE(fallback.callSupervisorAt("127.0.0.4", r.message, reply));
  EXPECT_EQ(a.count(), 1);
}

TEST_F(RouteTest, WithNothingConfiguredNothingIsSent) {
  ScriptedSupervisor a(zxtest::kLoopbackAddress, 0, true);
  writeConf(a.port());
  ZxClient client;
  Request r;
  ZxMessage reply;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(client.callSupervisor(r.message, reply));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARNING: zx_supervisor/zx_domain undefined in zx.conf or ZX_SUPERVISOR/ZX_DOMAIN undefined in  "
            "environment.\n");
  EXPECT_EQ(str(client.lastHost()), "");
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.count(true), 0);
}

TEST_F(RouteTest, ARefusingSupervisorWithoutCacheOrDomainLogsOneLine) {
  const int port = zxtest::refusingPort();
  writeConf(port);
  env_.set("ZX_SUPERVISOR", "127.0.0.1");
  ZxClient client;
  client.setTimeout(5000);
  Request r;
  ZxMessage reply;
  ZxLogCapture log;
  EXPECT_FALSE(client.callSupervisor(r.message, reply));
  EXPECT_EQ(log.text(),
            "ERROR: unable to establish tcp connection with 127.0.0.1 - unable to connect to host.\n");
  EXPECT_EQ(client.error().code(), 35);
}

// ---- datagrams and one-way sends -----------------------------------------------------

TEST_F(ExchangeTest, ADatagramRoundAsksSixTimesThenGivesUp) {
  zxtest::LoopbackUdp silent;
  writeConf(zxtest::refusingPort());
  ZxClient client;
  client.setBroadcastTimeout(20);
  Request r;
  ZxMessage reply;
  ZxLogCapture log;
  EXPECT_FALSE(client.broadcastExchange(silent.port(), r.message, reply));
  EXPECT_EQ(log.text(), "ERROR: udp receive socket timed out.\n");
  EXPECT_EQ(client.error().code(), 28);
  int asked = 0;
  while (!silent.receive(nullptr, 100).empty()) ++asked;
  EXPECT_EQ(asked, 6);
}

TEST_F(ExchangeTest, ADatagramAnswerNamesItsSender) {
  ScriptedSupervisor s(zxtest::kLoopbackAddress, 0, true);
  writeConf(s.port(), "zx_domain = farm\n");
  s.addDatagram(zxtest::reply(402, new ZxDomain("farm", "")));
  ZxClient client;
  ZxMessage reply;
  ZxDomain question("farm", "east");
  ZxMessage request(401);
  request.setContent(&question);
  EXPECT_TRUE(client.broadcastExchange(s.port(), request, reply));
  request.setContent(nullptr);
  EXPECT_EQ(reply.tag(), 402);
  EXPECT_EQ(str(reply.senderAddress().dottedText()), "127.0.0.1");
  ASSERT_EQ(s.count(true), 1);
  std::unique_ptr<ZxMessage> asked = s.received()[0].message();
  EXPECT_EQ(asked->tag(), 401);
  EXPECT_EQ(str(asked->zexaDomain()), "farm");
}

TEST_F(ExchangeTest, OneWaySendsGoOutOnceAndReportTheirFailures) {
  ScriptedSupervisor a(zxtest::kLoopbackAddress, 0, true);
  ScriptedSupervisor b(kLoopback2, a.port());
  writeConf(a.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1 127.0.0.2");
  ZxClient client;
  client.setTimeout(5000);
  client.setBroadcastTimeout(300);
  Request r;
  EXPECT_TRUE(client.sendFrameTo("127.0.0.1", a.port(), r.message));
  EXPECT_TRUE(client.sendDatagramTo("127.0.0.1", a.port(), r.message));
  EXPECT_TRUE(client.sendBroadcast(a.port(), r.message));
  EXPECT_TRUE(client.sendToEverySupervisor(r.message));
  // The servers take one request after another: wait until they are
  // through, so that the answer below goes to the collecting broadcast.
  auto reached = [&](int frames, int others, int datagrams) {
    for (int i = 0; i < 500; ++i) {
      if (a.count() >= frames && b.count() >= others && a.count(true) >= datagrams) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  EXPECT_TRUE(reached(2, 1, 2));
  a.addDatagram(zxtest::reply(402));
  ZxBaseList<ZxMessage> answers;
  EXPECT_TRUE(client.broadcastCollect(a.port(), r.message, answers));
  ASSERT_EQ(answers.count(), 1);
  EXPECT_EQ(answers.get(0)->tag(), 402);
  EXPECT_EQ(str(answers.get(0)->senderAddress().dottedText()), "127.0.0.1");
  EXPECT_EQ(a.count(), 2);      // sendFrameTo, sendToEverySupervisor
  EXPECT_EQ(b.count(), 1);      // sendToEverySupervisor
  EXPECT_EQ(a.count(true), 3);  // sendDatagramTo, sendBroadcast, broadcastCollect
  for (const zxtest::Received& got : a.received()) EXPECT_EQ(got.message()->tag(), 100);

  EXPECT_FALSE(client.sendFrameTo("127.0.0.1", zxtest::refusingPort(), r.message));
  EXPECT_EQ(client.error().code(), 35);
  EXPECT_FALSE(client.sendDatagramTo("", a.port(), r.message));
  EXPECT_EQ(client.error().code(), 32);
}

}  // namespace
