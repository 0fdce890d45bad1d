// The surroundings of a client test: a configuration folder with a zx.conf
// of the test's own, a private temporary folder for the discovery cache
// and clock offset files, a home folder, the steering variables cleared,
// and the clock seam replaced so that pauses are recorded instead of slept,
// pseudo-random numbers are the test's choice and "now" can be set.
#pragma once

#include <sys/stat.h>
#include <utime.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/zx_env_fixture.h"
#include "config/zx_paths.h"
#include "net/zx_clock_offset.h"
#include "os/zx_os_clock.h"
#include "util/zx_string.h"

namespace zxtest {

// The replaced clock seam: what the code under test paused, and the
// numbers it draws.
struct FakeClock {
  static std::vector<int>& pauses() {
    static std::vector<int> p;
    return p;
  }
  // The next pseudo-random numbers (the last one repeats).
  static std::vector<int>& randoms() {
    static std::vector<int> r{0};
    return r;
  }
  // The Unix times "now" answers, in turn (the last one repeats); empty:
  // the system clock.
  static std::vector<long long>& nows() {
    static std::vector<long long> n;
    return n;
  }
  static void setNow(long long t) { nows() = {t}; }

  static void install() {
    pauses().clear();
    randoms() = {0};
    nows().clear();
    zxos::ClockHooks hooks;
    hooks.now = [] {
      std::vector<long long>& n = nows();
      if (n.empty()) return static_cast<int64_t>(::time(nullptr));
      const long long v = n.front();
      if (n.size() > 1) n.erase(n.begin());
      return static_cast<int64_t>(v);
    };
    hooks.pause = [](int seconds) { pauses().push_back(seconds); };
    hooks.random = [] {
      std::vector<int>& r = randoms();
      const int v = r.front();
      if (r.size() > 1) r.erase(r.begin());
      return v;
    };
    zxos::setClockHooks(&hooks);
  }
  static void uninstall() { zxos::setClockHooks(nullptr); }
};

inline std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

class ClientTest : public testing::Test {
 protected:
  void SetUp() override {
    etc_ = tmp_.mkdir("etc");
    home_ = tmp_.mkdir("home");
    runtime_ = tmp_.mkdir("runtime", 0700);
    env_.set("ZX_CONF_DIR", etc_)
        .set("XDG_RUNTIME_DIR", runtime_)
        .set("HOME", home_)
        .unset("ZX_DIR")
        .unset("ZX_SUPERVISOR")
        .unset("ZX_DOMAIN")
        .unset("ZXPATH")
        .unset("ZXJOBID")
        .unset("ZXPGRPID")
        // No client test may broadcast beyond this machine: discovery goes
        // to 127.0.0.1 in every one of them.
        .set("ZX_BROADCAST_ADDRESS", "127.0.0.1");
    resetInstallDir();
    zxclock::resetClockOffset();
    FakeClock::install();
  }
  void TearDown() override {
    FakeClock::uninstall();
    zxclock::resetClockOffset();
    resetInstallDir();
  }

  // zx.conf with the supervisor port, a short client time-out and `more`.
  void writeConf(int port, const std::string& more = "") {
    tmp_.write("etc/zx.conf", "supervisor_port = " + std::to_string(port) +
                                  "\nclient_timeout = 5000\nclient_host_domain = STUDIO\n" + more);
  }
  std::string confPath() const { return etc_ + "/zx.conf"; }
  std::string runtimeFile(const std::string& name) const { return runtime_ + "/" + name; }

  // Sets the modification time of `path`.
  static void setModified(const std::string& path, long long when) {
    utimbuf times;
    times.actime = static_cast<time_t>(when);
    times.modtime = static_cast<time_t>(when);
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
  }

  TempDir tmp_;
  ScopedEnv env_;
  std::string etc_;
  std::string home_;
  std::string runtime_;
};

}  // namespace zxtest
