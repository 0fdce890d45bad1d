// Tests of the OS services the supervisor exchange uses: the hardware
// address rule, files replaced in one step and modification times, and the
// clock seam that tests replace.
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "config/zx_env_fixture.h"
#include "os/zx_os_adapters.h"
#include "os/zx_os_clock.h"
#include "os/zx_os_files.h"
#include "os/zx_os_host.h"

namespace {

using zxtest::TempDir;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

zxos::HardwareAdapter adapter(std::initializer_list<int> bytes, bool loopback = false) {
  zxos::HardwareAdapter a;
  int i = 0;
  for (int b : bytes) a.address[i++] = static_cast<unsigned char>(b);
  a.loopback = loopback;
  return a;
}

TEST(OsAdapters, TheLastRealAdapterGivesTheAddress) {
  struct Case {
    const char* name;
    std::vector<zxos::HardwareAdapter> adapters;
    const char* address;
  };
  const std::vector<Case> cases = {
      {"none", {}, ""},
      {"loopback only", {adapter({0, 0, 0, 0, 0, 0}, true), adapter({1, 2, 3, 4, 5, 6}, true)}, ""},
      {"all zero", {adapter({0, 0, 0, 0, 0, 0})}, ""},
      {"one", {adapter({0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e})}, "00:1A:2B:3C:4D:5E"},
      {"the last one wins",
       {adapter({1, 1, 1, 1, 1, 1}), adapter({0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff}),
        adapter({0, 0, 0, 0, 0, 0}), adapter({9, 9, 9, 9, 9, 9}, true)},
       "AA:BB:CC:DD:EE:FF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(str(zxos::pickHardwareAddress(c.adapters)), c.address);
  }
  // Whatever this machine has, the answer keeps the form (or is empty).
  const std::string mine = str(zxos::hardwareAddress());
  if (!mine.empty()) {
    ASSERT_EQ(mine.size(), 17u);
    for (size_t i = 0; i < mine.size(); ++i)
      EXPECT_TRUE(i % 3 == 2 ? mine[i] == ':' : std::isxdigit(mine[i]) && !std::islower(mine[i])) << mine;
  }
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(OsFiles, ReplacingAFileIsOneStepPrivateAndLeavesNothingBehind) {
  TempDir tmp;
  const std::string target = tmp.file("cache.tmp");
  ASSERT_TRUE(zxos::replaceFile(target.c_str(), "first"));
  ASSERT_TRUE(zxos::replaceFile(target.c_str(), "10.1.2.3"));
  EXPECT_EQ(readText(target), "10.1.2.3");
  struct stat info;
  ASSERT_EQ(::lstat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // A link planted at the name is replaced, not written through.
  const std::string other = tmp.write("other", "untouched");
  ::unlink(target.c_str());
  ASSERT_EQ(::symlink(other.c_str(), target.c_str()), 0);
  ASSERT_TRUE(zxos::replaceFile(target.c_str(), "new"));
  EXPECT_EQ(readText(other), "untouched");
  EXPECT_EQ(readText(target), "new");

  // A folder that does not exist: nothing written, nothing left.
  EXPECT_FALSE(zxos::replaceFile(tmp.file("absent/cache.tmp").c_str(), "x"));
  ZxBaseList<ZxString> names;
  ASSERT_TRUE(zxos::listDirectory(tmp.path().c_str(), names));
  EXPECT_EQ(names.count(), 2);  // cache.tmp and other, no temporary file
}

TEST(OsFiles, ModificationTimes) {
  TempDir tmp;
  const std::string path = tmp.write("f", "x");
  utimbuf times;
  times.actime = times.modtime = 1500000000;
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
  int64_t when = 0;
  ASSERT_TRUE(zxos::modificationTime(path.c_str(), &when));
  EXPECT_EQ(when, 1500000000);
  EXPECT_FALSE(zxos::modificationTime(tmp.file("absent").c_str(), &when));
  EXPECT_FALSE(zxos::modificationTime("", &when));
}

std::vector<int>& pausesSeen() {
  static std::vector<int> p;
  return p;
}

TEST(OsClock, TestsReplaceTheClockThePausesAndTheNumbers) {
  zxos::ClockHooks hooks;
  hooks.now = [] { return static_cast<int64_t>(1234); };
  hooks.pause = [](int seconds) { pausesSeen().push_back(seconds); };
  hooks.random = [] { return 99999; };
  zxos::setClockHooks(&hooks);
  EXPECT_EQ(ZxOsHost::unixNow(), 1234);
  zxos::pauseSeconds(7);
  zxos::pauseSeconds(0);  // nothing to pause
  EXPECT_EQ(pausesSeen(), std::vector<int>{7});
  EXPECT_EQ(zxos::randomNumber(), zxos::kRandomMax);  // held to the range
  zxos::setClockHooks(nullptr);

  EXPECT_GT(ZxOsHost::unixNow(), 1500000000);
  std::set<int> seen;
  for (int i = 0; i < 1000; ++i) {
    const int r = zxos::randomNumber();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, zxos::kRandomMax);
    seen.insert(r);
  }
  EXPECT_GT(seen.size(), 900u);  // the numbers spread
}

}  // namespace
