// Tests of supervisor discovery: the cache file's freshness rules (with a
// set clock), its content and how it is written, discovery end to end over
// datagrams to 127.0.0.1, and the supervisor clock offset with its file.
#include "net/zx_discovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "model/zx_domain.h"
#include "model/zx_time.h"
#include "net/zx_client.h"
#include "net/zx_client_fixture.h"
#include "net/zx_clock_offset.h"
#include "net/zx_scripted_supervisor.h"
#include "net/zx_supervisor_cache.h"
#include "os/zx_os_user.h"
#include "serial/zx_log_capture.h"

namespace {

using zxtest::FakeClock;
using zxtest::ScriptedSupervisor;
using zxtest::str;

constexpr long long kEpoch = 946702800;
constexpr long long kWhen = 1500000000;  // a modification time the tests set

ZxString user() {
  ZxString name;
  if (!zxos::userName(name)) name.clear();
  return name;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class DiscoveryTest : public zxtest::ClientTest {
 protected:
  std::string cacheFile() const { return runtimeFile("supervisor_" + str(user()) + ".tmp"); }
  std::string offsetFile() const { return runtimeFile("time_" + str(user()) + ".tmp"); }
};

// ---- the cache file ----------------------------------------------------------------

TEST_F(DiscoveryTest, TheCacheIsUsedOnlyWhileFresh) {
  struct Case {
    const char* name;
    bool cacheExists;
    long long configModified;  // -1: no zx.conf
    long long now;
    bool fresh;
  };
  const Case cases[] = {
      {"no zx.conf, just written", true, -1, kWhen, true},
      {"599 seconds old", true, -1, kWhen + 599, true},
      {"600 seconds old", true, -1, kWhen + 600, false},
      {"zx.conf older", true, kWhen - 1, kWhen + 10, true},
      {"zx.conf as old as the cache", true, kWhen, kWhen + 10, false},
      {"zx.conf newer", true, kWhen + 5, kWhen + 10, false},
      {"no cache file", false, -1, kWhen, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::unlink(cacheFile().c_str());
    ::unlink(confPath().c_str());
    if (c.cacheExists) {
      tmp_.write("runtime/supervisor_" + str(user()) + ".tmp", "10.1.2.3");
      setModified(cacheFile(), kWhen);
    }
    if (c.configModified >= 0) {
      writeConf(1);
      setModified(confPath(), c.configModified);
    }
    FakeClock::setNow(c.now);
    ZxString address;
    EXPECT_EQ(zxcache::readCachedSupervisor(user(), address), c.fresh);
    if (c.fresh) {
      EXPECT_EQ(str(address), "10.1.2.3");
    }
  }
}

TEST_F(DiscoveryTest, TheCacheAgeIsCountedOnTheSupervisorsClock) {
  tmp_.write("runtime/time_" + str(user()) + ".tmp", "-100\n");
  tmp_.write("runtime/supervisor_" + str(user()) + ".tmp", "10.1.2.3");
  setModified(cacheFile(), kWhen);
  // 650 s by the local clock, 550 s by the supervisor's.
  FakeClock::setNow(kWhen + 650);
  ZxString address;
  EXPECT_TRUE(zxcache::readCachedSupervisor(user(), address));
}

TEST_F(DiscoveryTest, OnlyADottedAddressIsReadFromTheCache) {
  const char* const texts[] = {"localhost", "10.1.2.3\n", " 10.1.2.3", "10.1.2",
                               "256.1.2.3", "",           "10.1.2.3.4"};
  FakeClock::setNow(kWhen);
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    tmp_.write("runtime/supervisor_" + str(user()) + ".tmp", text);
    setModified(cacheFile(), kWhen);
    ZxString address;
    EXPECT_FALSE(zxcache::readCachedSupervisor(user(), address));
    EXPECT_FALSE(zxcache::writeCachedSupervisor(user(), text));
  }
}

TEST_F(DiscoveryTest, TheCacheIsWrittenWholeAndPrivateWithoutFollowingLinks) {
  const std::string elsewhere = tmp_.write("elsewhere", "keep me");
  ASSERT_EQ(::symlink(elsewhere.c_str(), cacheFile().c_str()), 0);
  ASSERT_TRUE(zxcache::writeCachedSupervisor(user(), "10.1.2.3"));
  EXPECT_EQ(readText(elsewhere), "keep me");
  struct stat info;
  ASSERT_EQ(::lstat(cacheFile().c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(readText(cacheFile()), "10.1.2.3");

  // A user name that is not a file name has no cache.
  ZxString path;
  EXPECT_FALSE(zxcache::cachePath("../x", path));
  EXPECT_FALSE(zxcache::cachePath("..", path));
  EXPECT_FALSE(zxcache::writeCachedSupervisor(ZxString("a\0b", 3), "10.1.2.3"));
}

// ---- discovery end to end ----------------------------------------------------------

TEST_F(DiscoveryTest, ABroadcastFindsTheSupervisorAndTheCacheSparesTheNext) {
  ScriptedSupervisor s(zxtest::kLoopbackAddress, 0, true);
  writeConf(s.port(), "zx_domain = farm\nzx_region = east\n");
  setModified(confPath(), ::time(nullptr) - 100);
  s.addDatagram(zxtest::reply(402));
  for (int i = 0; i < 4; ++i) s.add(zxtest::reply(200));
  s.addDatagram(zxtest::reply(402));
  s.addDatagram(zxtest::reply(402));

  {
    ZxClient client;
    client.setTimeout(5000);
    ZxMessage request(100), reply;
    ASSERT_TRUE(client.callSupervisor(request, reply));
    EXPECT_EQ(reply.tag(), 200);
    ASSERT_EQ(client.supervisors().count(), 1);
    EXPECT_EQ(str(client.supervisors().get(0)->host()), "127.0.0.1");
    EXPECT_EQ(client.supervisors().get(0)->port(), 0);
  }
  EXPECT_EQ(readText(cacheFile()), "127.0.0.1");
  ASSERT_EQ(s.count(true), 1);
  std::unique_ptr<ZxMessage> question = s.received()[0].message();
  EXPECT_EQ(question->tag(), 401);
  EXPECT_EQ(str(question->zexaDomain()), "farm");
  EXPECT_EQ(str(question->zexaRegion()), "east");
  const ZxDomain* domain = dynamic_cast<const ZxDomain*>(question->content());
  ASSERT_NE(domain, nullptr);
  EXPECT_EQ(str(domain->name()), "farm");
  EXPECT_EQ(str(domain->region()), "east");
  EXPECT_EQ(domain->id(), -1);

  auto operation = [&] {
    ZxClient client;
    client.setTimeout(5000);
    ZxMessage request(100), reply;
    return client.callSupervisor(request, reply);
  };
  // Within ten minutes: the cache, no broadcast.
  EXPECT_TRUE(operation());
  EXPECT_EQ(s.count(true), 1);
  EXPECT_EQ(s.count(), 2);

  // zx.conf edited after the cache was written: broadcast again.
  setModified(cacheFile(), ::time(nullptr) - 50);
  setModified(confPath(), ::time(nullptr) - 10);
  EXPECT_TRUE(operation());
  EXPECT_EQ(s.count(true), 2);

  // The cache older than ten minutes: broadcast again.
  setModified(confPath(), ::time(nullptr) - 5000);
  FakeClock::setNow(::time(nullptr) + 600);
  EXPECT_TRUE(operation());
  EXPECT_EQ(s.count(true), 3);
  EXPECT_EQ(s.count(), 4);
}

TEST_F(DiscoveryTest, AResponderAlreadyInTheListIsNotAddedTwice) {
  ScriptedSupervisor s(zxtest::kLoopbackAddress, 0, true);
  writeConf(s.port(), "zx_domain = farm\n");
  env_.set("ZX_SUPERVISOR", "127.0.0.1");
  s.add(zxtest::closeAnswer());  // the list's round fails
  s.addDatagram(zxtest::reply(402));
  s.add(zxtest::reply(200));
  ZxClient client;
  client.setTimeout(5000);
  ZxMessage request(100), reply;
  EXPECT_TRUE(client.callSupervisor(request, reply));
  EXPECT_EQ(client.supervisors().count(), 1);
  EXPECT_EQ(s.count(true), 1);
  EXPECT_EQ(s.count(), 2);
}

TEST_F(DiscoveryTest, ACachedSupervisorThatFailsLeadsToDiscovery) {
  ScriptedSupervisor s(zxtest::kLoopbackAddress, 0, true);
  writeConf(s.port(), "zx_domain = farm\n");
  setModified(confPath(), ::time(nullptr) - 100);
  ASSERT_TRUE(zxcache::writeCachedSupervisor(user(), "127.0.0.4"));  // nobody there
  s.addDatagram(zxtest::reply(402));
  s.add(zxtest::reply(200));
  ZxClient client;
  client.setTimeout(5000);
  ZxMessage request(100), reply;
  ZxLogCapture log;
  EXPECT_TRUE(client.callSupervisor(request, reply));
  EXPECT_NE(log.text().find("connection with 127.0.0.4"), std::string::npos);
  EXPECT_EQ(readText(cacheFile()), "127.0.0.1");
}

// ---- the clock offset --------------------------------------------------------------

TEST(ClockOffset, TheFileHoldsOneDecimalNumber) {
  struct Case {
    const char* text;
    int offset;
  };
  const Case cases[] = {{"502", 502},
                        {"-17", -17},
                        {"+4", 4},
                        {"  12\n", 12},
                        {"0", 0},
                        {"", 0},
                        {"12abc", 0},
                        {"1 2", 0},
                        {"-", 0},
                        {"0x10", 0},
                        {"2147483647", 2147483647},
                        {"-2147483648", -2147483647 - 1},
                        {"2147483648", 0},
                        {"99999999999999999999", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(zxclock::parseClockOffset(c.text), c.offset);
  }
}

TEST_F(DiscoveryTest, TheTimeQueryMeasuresAndStoresTheOffset) {
  ScriptedSupervisor s;
  writeConf(s.port());
  s.add(zxtest::reply(108, new ZxTime(1500)));
  // Sent at 1000, answered at 1004, the supervisor saying 1500.
  FakeClock::nows() = {kEpoch + 1000, kEpoch + 1004};
  EXPECT_TRUE(zxclock::querySupervisorTime("127.0.0.1"));
  EXPECT_EQ(zxclock::clockOffset(), 502);
  EXPECT_EQ(readText(offsetFile()), "502");
  ASSERT_EQ(s.count(), 1);
  EXPECT_EQ(s.received()[0].message()->tag(), 107);
  EXPECT_EQ(s.received()[0].message()->content(), nullptr);

  ZxTime t;
  FakeClock::setNow(kEpoch + 2000);
  zxclock::setSupervisorNow(t);
  EXPECT_EQ(t.value(), 2502);
}

TEST_F(DiscoveryTest, AFailedOrEmptyTimeQueryLeavesZero) {
  tmp_.write("runtime/time_" + str(user()) + ".tmp", "77");
  {
    writeConf(zxtest::refusingPort());
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
    ZxLogCapture log;
    EXPECT_FALSE(zxclock::querySupervisorTime());
    EXPECT_EQ(zxclock::clockOffset(), 0);
    EXPECT_NE(log.text().find("ERROR: couldn't obtain time from supervisor.\n"), std::string::npos);
  }
  {
    ScriptedSupervisor s;
    writeConf(s.port());
    s.add(zxtest::reply(108));
    EXPECT_FALSE(zxclock::querySupervisorTime("127.0.0.1"));
    EXPECT_EQ(zxclock::clockOffset(), 0);
  }
  EXPECT_EQ(readText(offsetFile()), "77");
}

TEST_F(DiscoveryTest, TheOffsetIsReadOnceAndCanBeSwitchedOff) {
  tmp_.write("runtime/time_" + str(user()) + ".tmp", "42");
  EXPECT_EQ(zxclock::clockOffset(), 42);
  tmp_.write("runtime/time_" + str(user()) + ".tmp", "43");
  EXPECT_EQ(zxclock::clockOffset(), 42);
  FakeClock::setNow(kEpoch + 1000);
  ZxTime t;
  zxclock::setSupervisorNow(t);
  EXPECT_EQ(t.value(), 1042);

  ScriptedSupervisor s;
  writeConf(s.port());
  s.add(zxtest::reply(108, new ZxTime(1500)));
  zxclock::disableClockOffset();
  EXPECT_EQ(zxclock::clockOffset(), 0);
  EXPECT_FALSE(zxclock::querySupervisorTime("127.0.0.1"));
  EXPECT_EQ(zxclock::clockOffset(), 0);
  EXPECT_EQ(s.count(), 0);
}

}  // namespace
