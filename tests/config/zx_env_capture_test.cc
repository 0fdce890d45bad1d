// The environment record filled from the process and from drive map texts.
#include "config/zx_env_capture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "config/zx_env_fixture.h"

extern char** environ;

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

std::string mount(const ZxEnv& env, const char* drive) {
  const ZxString* v = env.mounts().find(ZxString(drive));
  return v ? str(*v) : "<absent>";
}

// Restores the working directory at the end of the scope.
class ScopedCwd {
 public:
  ScopedCwd() {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) old_ = buf;
  }
  ~ScopedCwd() {
    if (!old_.empty() && chdir(old_.c_str()) != 0) {
    }
  }

 private:
  std::string old_;
};

TEST(EnvCapture, TakesTheProcessEnvironmentInOrderAndTheCurrentDirectory) {
  zxtest::TempDir tmp;
  zxtest::ScopedEnv env;
  env.set("ZX_TEST_PLAIN", "v").set("ZX_TEST_EQUALS", "a=b=c").set("ZX_TEST_EMPTY", "");
  ScopedCwd cwd;
  ASSERT_EQ(chdir(tmp.path().c_str()), 0);
  char real[4096];
  ASSERT_NE(getcwd(real, sizeof real), nullptr);

  ZxEnv record;
  record.keys().add("STALE");
  record.values().add("old");
  record.mounts().insert(ZxString("Z:"), ZxString("\\\\srv\\kept"));
  record.setUmask(18);
  zxenv::capture(record);

  EXPECT_EQ(str(zxenv::get(record, "ZX_TEST_PLAIN")), "v");
  EXPECT_EQ(str(zxenv::get(record, "ZX_TEST_EQUALS")), "a=b=c");  // split at the first "="
  EXPECT_EQ(str(zxenv::get(record, "ZX_TEST_EMPTY")), "");
  EXPECT_EQ(str(zxenv::get(record, "zx_test_plain")), "");  // names compare with case
  EXPECT_EQ(str(zxenv::get(record, "STALE")), "");          // the lists were replaced
  EXPECT_EQ(str(record.cwd()), real);
  EXPECT_EQ(record.umask(), 18);
  // No drive letters here: the drive table stays as it was.
  EXPECT_EQ(mount(record, "Z:"), "\\\\srv\\kept");

  // Same order and length as the process environment block.
  int n = 0;
  for (char** e = environ; *e; ++e, ++n) {
    std::string entry = *e;
    ASSERT_LT(n, record.keys().count());
    EXPECT_EQ(str(*record.keys().get(n)), entry.substr(0, entry.find('=')));
  }
  EXPECT_EQ(record.keys().count(), n);
  EXPECT_EQ(record.values().count(), n);

  zxenv::clearVariables(record);
  EXPECT_EQ(record.keys().count(), 0);
  EXPECT_EQ(record.values().count(), 0);
  EXPECT_EQ(str(record.cwd()), real);
  zxenv::clearMounts(record);
  EXPECT_EQ(record.mounts().count(), 0);
}

TEST(EnvCapture, GetTakesTheFirstOfRepeatedNames) {
  ZxEnv record;
  record.keys().add("A");
  record.values().add("1");
  record.keys().add("A");
  record.values().add("3");
  record.keys().add("B");  // a name without a value (lists out of step)
  EXPECT_EQ(str(zxenv::get(record, "A")), "1");
  EXPECT_EQ(str(zxenv::get(record, "B")), "");
  EXPECT_EQ(str(zxenv::get(record, "")), "");
}

TEST(DriveMap, LinesOfDriveAndTarget) {
  struct Case {
    const char* text;
    std::vector<std::pair<const char*, const char*>> mounts;
  };
  const Case cases[] = {
      {"Y:|\\\\srv\\proj\nX:|D:\\data", {{"Y:", "\\\\srv\\proj"}, {"X:", "D:\\data"}}},
      {"Y:|\\\\srv\\proj|extra", {{"Y:", "\\\\srv\\proj"}}},
      {"Y:|a\n", {{"Y:", "a"}}},  // a trailing LF starts no further line
      {"Y:", {{"Y:", ""}}},
      {" Y: | a b ", {{" Y: ", " a b "}}},  // blanks stay
      {"\n", {{"", ""}}},
      {"Y:|a\n\nX:|b", {{"Y:", "a"}, {"", ""}, {"X:", "b"}}},
      {"Y:|a\nY:|b", {{"Y:", "b"}}},  // a later line replaces
      {"", {}},
  };
  for (const Case& c : cases) {
    ZxEnv record;
    zxenv::addDriveMap(record, ZxString(c.text));
    EXPECT_EQ(record.mounts().count(), static_cast<int>(c.mounts.size())) << c.text;
    for (const auto& m : c.mounts) EXPECT_EQ(mount(record, m.first), m.second) << c.text;
  }
}

TEST(DriveMap, MergesIntoExistingMounts) {
  ZxEnv record;
  record.mounts().insert(ZxString("Z:"), ZxString("old"));
  record.mounts().insert(ZxString("W:"), ZxString("kept"));
  zxenv::addDriveMap(record, ZxString("Z:|new"));
  EXPECT_EQ(mount(record, "Z:"), "new");
  EXPECT_EQ(mount(record, "W:"), "kept");
}

}  // namespace
