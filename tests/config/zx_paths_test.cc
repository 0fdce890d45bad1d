// Tests of the installation directory's priority rule, the default tables,
// parentDir and the job type search path.
#include "config/zx_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "config/zx_env_fixture.h"

namespace {

using zxtest::ScopedEnv;
using zxtest::TempDir;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

class PathsTest : public testing::Test {
 protected:
  void SetUp() override { resetInstallDir(); }
  void TearDown() override { resetInstallDir(); }
};

TEST_F(PathsTest, InstallDirOfferNeedsAHigherPriority) {
  struct Offer {
    const char* path;
    int priority;
    const char* after;
  };
  const Offer offers[] = {
      {"", 3, "/opt/kvl/zexa"},    // empty offers are ignored
      {"/a", 0, "/opt/kvl/zexa"},  // not above the initial 0
      {"/file1", 2, "/file1"},     // zx_directory taken
      {"/file2", 2, "/file1"},     // a later file value does not replace it
      {"/env1", 3, "/env1"},       // ZX_DIR beats the file
      {"/file3", 2, "/env1"},      // and the file never wins back
      {"/env2", 3, "/env1"},       // the first environment value sticks
      {"/higher", 4, "/higher"},
  };
  EXPECT_EQ(str(installDir()), "/opt/kvl/zexa");
  for (const Offer& o : offers) {
    offerInstallDir(o.path, o.priority);
    EXPECT_EQ(str(installDir()), o.after) << o.path << " at " << o.priority;
  }
  resetInstallDir();
  EXPECT_EQ(str(installDir()), "/opt/kvl/zexa");
  offerInstallDir("/again", 2);
  EXPECT_EQ(str(installDir()), "/again");
}

TEST_F(PathsTest, StringTableWithTheBaseFolders) {
  TempDir tmp;
  ScopedEnv env;
  std::string k = tmp.mkdir("etc");
  std::string run = tmp.mkdir("run", 0700);
  env.set("ZX_CONF_DIR", k).set("XDG_RUNTIME_DIR", run);
  offerInstallDir("/apps/zexa", kInstallDirFromEnvironment);
  const std::string i = "/apps/zexa";
  const std::string d = i;  // the data folder is the installation directory here
  struct Case {
    int id;
    std::string value;
  };
  const Case cases[] = {
      {0, "/opt/kvl/zexa"},  // the platform default, whatever is installed
      {-1, k},
      {1, k + "/zx.conf"},
      {101, k + "/zx.conf"},
      {301, k + "/zx.conf"},
      {401, k + "/zx.conf"},
      {501, k + "/zx.conf"},
      {601, k + "/zx.conf"},
      {3, "/"},
      {104, "/"},
      {7, "passive"},
      {8, d + "/logs"},
      {9, d + "/logs"},
      {111, d + "/logs"},
      {112, "/apps/zexa/types;/apps/jobtypes;/apps/jobtypes"},
      {302, "/apps/zexa/types;/apps/jobtypes;/apps/jobtypes"},
      {402, "/apps/zexa/types;/apps/jobtypes;/apps/jobtypes"},
      {117, "remote"},
      {12, d + "/logs/manifestlog"},
      {13, d + "/logs/supelog"},
      {16, "Internal"},
      {33, "Internal"},
      {17, "cluster"},
      {19, k + "/zxwrk.conf"},
      {20, "open"},
      {21, "enabled"},
      {30, d + "/logs/supe5.jnl"},
      {32, run},
      {304, run},
      {406, run},
      {34, "none"},
      {35, d + "/logs/supervisorpid"},
      {37, k + "/zxsslcert.pem"},
      {124, k + "/zxsslcert.pem"},
      {38, k + "/zxsslkey.pem"},
      {125, k + "/zxsslkey.pem"},
      {47, i + "/public"},
      {49, i + "/html"},
      {55, d + "/data"},
      {102, i + "/sbin/proxy"},
      {103, d + "/logs/worker5.jnl"},
      {109, "proxy"},
      {114, d + "/logs/workerlog"},
      {121, ""},
      {122, d + "/logs/workerpid"},
      {123, "local,supervisor"},
      {129, "zexaproxy"},
      {130, "/"},
      {201, "/src/api/perl/zx"},
      {403, i + "/lib/gui/icons"},
      {404, i + "/lib/gui/html"},
      {405, i + "/docs"},
      {407, i + "/lib/gui/pr"},
      {408, i + "/lib/wizard"},
      {503, "localhost"},
      {505, "root"},
      {506, "mysql"},
      {605, i + "/etc/job.mail"},
      {606, i + "/etc/subjob.mail"},
      {607, i + "/etc/work.mail"},
      {609, i + "/etc/report.mail"},
      {1001, k + "/zx.conf"},
      {1002, k + "/zx.conf"},
      {2, ""},  // unknown identifiers
      {10, ""},
      {99999, ""},
  };
  for (const Case& c : cases) {
    ZxString out("stale");
    EXPECT_TRUE(defaultString(c.id, out)) << c.id;
    EXPECT_EQ(str(out), c.value) << c.id;
    EXPECT_EQ(str(defaultString(c.id)), c.value) << c.id;
  }
}

TEST_F(PathsTest, ConfigurationFileDefaultsToEtc) {
  ScopedEnv env;
  env.unset("ZX_CONF_DIR");
  EXPECT_EQ(str(defaultString(ZxSetting::kConfigFile)), "/etc/zx.conf");
  EXPECT_EQ(str(defaultString(ZxSetting::kConfigFolder)), "/etc");
  // With the default installation directory.
  EXPECT_EQ(str(defaultString(ZxSetting::kJobTypeSearchPath)),
            "/opt/kvl/zexa/types;/opt/kvl/jobtypes;/opt/kvl/jobtypes");
  EXPECT_EQ(str(defaultString(ZxSetting::kSupervisorLogPath)), "/opt/kvl/zexa/logs");
}

TEST_F(PathsTest, MissingFoldersAreReportedNotFatal) {
  ScopedEnv env;
  env.set("ZX_CONF_DIR", std::string(5000, 'c'));
  struct Case {
    int id;
    const char* message;
  };
  const Case cases[] = {
      {1, "ERROR: unable to query for common data folder.\n"},
      {-1, "ERROR: unable to query for common data folder.\n"},
      {1001, "ERROR: unable to query for common data folder.\n"},
      {1002, "ERROR: unable to query for local data folder.\n"},
  };
  for (const Case& c : cases) {
    ZxString out("stale");
    testing::internal::CaptureStdout();
    bool ok = defaultString(c.id, out);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(ok) << c.id;
    EXPECT_TRUE(out.isEmpty()) << c.id;
    EXPECT_EQ(printed, c.message) << c.id;
  }
  // Folders that do not depend on the configuration folder still answer.
  EXPECT_EQ(str(defaultString(8)), "/opt/kvl/zexa/logs");

  // An unsafe temporary folder gives "" silently: no cache files then.
  TempDir tmp;
  std::string open = tmp.mkdir("open");
  chmod(open.c_str(), 0777);
  env.set("XDG_RUNTIME_DIR", open);
  ZxString out;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(defaultString(ZxSetting::kTempFolder, out));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(out.isEmpty());
}

TEST_F(PathsTest, IntegerTable) {
  struct Case {
    int id;
    int value;
  };
  const Case cases[] = {{10, 50001},   {48, 44444}, {49, 50002}, {701, 50002}, {113, 50011}, {305, 8},
                        {306, 600000}, {0, 0},      {1, 0},      {-1, 0},      {12345, 0}};
  for (const Case& c : cases) EXPECT_EQ(defaultInt(c.id), c.value) << c.id;
}

TEST(ParentDir, SkipsSeparatorsAndTheLastComponent) {
  struct Case {
    const char* path;
    const char* parent;
  };
  const Case cases[] = {
      {"/opt/kvl/zexa", "/opt/kvl/"},
      {"/opt/kvl/zexa/", "/opt/kvl/"},
      {"/opt/kvl//zexa//", "/opt/kvl/"},
      {"C:\\Program Files\\kvl\\zexa", "C:\\Program Files\\kvl/"},
      {"a\\b/c", "a\\b/"},
      {"/opt", "/"},
      {"zexa", "/"},
      {"", "/"},
      {"///", "/"},
  };
  for (const Case& c : cases) EXPECT_EQ(str(parentDir(c.path)), c.parent) << c.path;
}

TEST_F(PathsTest, JobTypeSearchPathFollowsTheInstallDir) {
  offerInstallDir("/srv/apps/zexa/", 2);
  EXPECT_EQ(str(jobTypeSearchPath()), "/srv/apps/zexa//types;/srv/apps/jobtypes;/srv/apps/jobtypes");
  offerInstallDir("zexa", 3);
  EXPECT_EQ(str(jobTypeSearchPath()), "zexa/types;/jobtypes;/jobtypes");
}

}  // namespace
