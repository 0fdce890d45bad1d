// Tests of the client settings: defaults, the precedence environment > file >
// default, supervisor lists, domains, numbers and flags, the installation
// directory, damaged files, the client domain and the printed listing.
#include "config/zx_config.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/zx_env_fixture.h"
#include "config/zx_paths.h"
#include "model/zx_string_list.h"

namespace {

using zxtest::ScopedEnv;
using zxtest::TempDir;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

std::string names(const ZxHostNameList& list) {
  std::string out;
  for (int i = 0; i < list.count(); ++i) {
    const ZxHostName* h = list.get(i);
    out += str(h->host()) + "/" + std::to_string(h->port()) + "/" + std::to_string(h->id()) + ";";
  }
  return out;
}

// A configuration folder of the test's own, with the variables that steer the
// reading cleared; the installation directory is reset around each test.
class ConfigTest : public testing::Test {
 protected:
  void SetUp() override {
    etc_ = tmp_.mkdir("etc");
    env_.set("ZX_CONF_DIR", etc_)
        .set("HOME", tmp_.path())
        .unset("ZX_DIR")
        .unset("ZX_SUPERVISOR")
        .unset("ZX_DOMAIN");
    resetInstallDir();
  }
  void TearDown() override { resetInstallDir(); }

  void writeConf(const std::string& text) { tmp_.write("etc/zx.conf", text); }

  TempDir tmp_;
  ScopedEnv env_;
  std::string etc_;
};

void expectDefaults(const ZxConfig& c, const std::string& what) {
  EXPECT_EQ(c.supervisors().count(), 0) << what;
  EXPECT_EQ(str(c.supervisorText()), "") << what;
  EXPECT_EQ(str(c.domain()), "") << what;
  EXPECT_EQ(str(c.region()), "") << what;
  EXPECT_EQ(c.supervisorPort(), 50001) << what;
  EXPECT_EQ(c.supervisorSubPort(), 50002) << what;
  EXPECT_EQ(c.supervisorHttpPort(), 44444) << what;
  EXPECT_EQ(c.workerPort(), 50011) << what;
  EXPECT_EQ(c.clientTimeout(), 600000) << what;
  EXPECT_EQ(c.clientJobFlags(), 8) << what;
  EXPECT_EQ(c.clientFlags(), 0) << what;
  EXPECT_EQ(str(c.workerLogmode()), "remote") << what;
  EXPECT_EQ(str(c.supervisorLogpath()), "/opt/kvl/zexa/logs") << what;
  EXPECT_EQ(str(c.workerLogpath()), "/opt/kvl/zexa/logs") << what;
  EXPECT_EQ(str(c.workerTemplatePath()), "/opt/kvl/zexa/types;/opt/kvl/jobtypes;/opt/kvl/jobtypes") << what;
  EXPECT_EQ(str(c.clientPriority()), "") << what;
  EXPECT_EQ(str(c.clientPathmap()), "") << what;
  EXPECT_EQ(str(c.clientDomain()), ".") << what;
}

TEST_F(ConfigTest, NoFileGivesTheDefaults) {
  ZxConfig config;
  expectDefaults(config, "no file");
  EXPECT_EQ(config.typeId(), 75);
}

TEST_F(ConfigTest, DamagedFilesGiveTheDefaults) {
  struct Case {
    const char* what;
    std::function<void()> make;
  };
  std::string conf = etc_ + "/zx.conf";
  std::string garbage;
  unsigned int seed = 12345;
  for (int i = 0; i < 65536; ++i) {
    seed = seed * 1103515245u + 12345u;
    garbage += static_cast<char>((seed >> 16) & 0xFF);
  }
  const Case cases[] = {
      {"empty", [&] { writeConf(""); }},
      {"a folder", [&] { mkdir(conf.c_str(), 0755); }},
      {"a named pipe", [&] { mkfifo(conf.c_str(), 0600); }},
      {"binary garbage", [&] { writeConf(garbage); }},
      {"only comments and headers", [&] { writeConf("# supervisor_port = 1\n[main]\n"); }},
      {"unreadable",
       [&] {
         writeConf("supervisor_port = 1\n");
         chmod(conf.c_str(), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zxtest::TempDir::removeTree(conf);
    c.make();
    if (std::string(c.what) == "unreadable" && geteuid() == 0) continue;  // the superuser reads it anyway
    ZxConfig config;
    expectDefaults(config, c.what);
  }
}

TEST_F(ConfigTest, SupervisorList) {
  struct Case {
    const char* what;
    std::string file;
    const char* envSupervisor;  // null: unset
    std::string list;
    std::string text;
  };
  const Case cases[] = {
      {"comma and blanks", "zx_supervisor = \"alpha,  beta,  gamma\"\n", nullptr,
       "alpha/0/-1;beta/0/-1;gamma/0/-1;", "alpha,  beta,  gamma"},
      {"host then supervisor", "supervisor_host = a\nzx_supervisor = b\n", nullptr, "a/0/-1;b/0/-1;", "b"},
      {"environment wins", "supervisor_host = a\nzx_supervisor = b\n", "c", "c/0/-1;", "c"},
      {"empty environment is unset", "supervisor_host = a\n", "", "a/0/-1;", "a"},
      {"host only", "supervisor_host = \"x y\"\n", nullptr, "x/0/-1;y/0/-1;", "x y"},
      {"separator runs", "zx_supervisor = \",,a,, b  \"\n", nullptr, "a/0/-1;b/0/-1;", ",,a,, b  "},
      {"environment list", "", "s1,s2 s3", "s1/0/-1;s2/0/-1;s3/0/-1;", "s1,s2 s3"},
      {"nothing", "", nullptr, "", ""},
  };
  for (const Case& c : cases) {
    writeConf(c.file);
    if (c.envSupervisor)
      env_.set("ZX_SUPERVISOR", c.envSupervisor);
    else
      env_.unset("ZX_SUPERVISOR");
    ZxConfig config;
    EXPECT_EQ(names(config.supervisors()), c.list) << c.what;
    EXPECT_EQ(str(config.supervisorText()), c.text) << c.what;
  }
}

TEST_F(ConfigTest, DomainAndRegion) {
  struct Case {
    std::string file;
    const char* envDomain;
    const char* domain;
  };
  const Case cases[] = {
      {"supervisor_domain = x\nzx_domain = y\n", nullptr, "y"},
      {"supervisor_domain = x\n", nullptr, "x"},
      {"supervisor_domain = x\nzx_domain =\n", nullptr, "x"},
      {"supervisor_domain = x\nzx_domain = y\n", "z", "z"},
      {"zx_domain = y\n", "", "y"},
  };
  for (const Case& c : cases) {
    writeConf(c.file + "zx_region = north\n");
    if (c.envDomain)
      env_.set("ZX_DOMAIN", c.envDomain);
    else
      env_.unset("ZX_DOMAIN");
    ZxConfig config;
    EXPECT_EQ(str(config.domain()), c.domain) << c.file;
    EXPECT_EQ(str(config.region()), "north") << c.file;
  }
}

TEST_F(ConfigTest, NumbersAndFlags) {
  struct Case {
    std::string line;
    std::function<int(const ZxConfig&)> field;
    int expected;
  };
  auto port = [](const ZxConfig& c) { return c.supervisorPort(); };
  auto jobFlags = [](const ZxConfig& c) { return c.clientJobFlags(); };
  auto flags = [](const ZxConfig& c) { return c.clientFlags(); };
  const Case cases[] = {
      {"supervisor_port = 0", port, 50001},
      {"supervisor_port = abc", port, 50001},
      {"supervisor_port = 7000", port, 7000},
      {"supervisor_port = 7000x", port, 7000},
      {"supervisor_sub_port = 0", [](const ZxConfig& c) { return c.supervisorSubPort(); }, 50002},
      {"supervisor_sub_port = 9", [](const ZxConfig& c) { return c.supervisorSubPort(); }, 9},
      {"supervisor_http_port = 8080", [](const ZxConfig& c) { return c.supervisorHttpPort(); }, 8080},
      {"worker_port = 0", [](const ZxConfig& c) { return c.workerPort(); }, 50011},
      {"worker_port = 1234", [](const ZxConfig& c) { return c.workerPort(); }, 1234},
      {"client_timeout = 5", [](const ZxConfig& c) { return c.clientTimeout(); }, 5},
      {"client_timeout = none", [](const ZxConfig& c) { return c.clientTimeout(); }, 600000},
      {"client_job_flags =", jobFlags, 8},
      {"client_job_flags = 0", jobFlags, 0},
      {"client_job_flags = 12", jobFlags, 12},
      {"client_job_flags = \"grid, mail\"", jobFlags, 0x404},
      {"client_job_flags = grid,auto_mount", jobFlags, 0xC},
      {"client_job_flags = grid,grid", jobFlags, 8},  // a name given twice adds twice
      {"client_job_flags = bogus", jobFlags, 0},
      {"client_flags = ssl", flags, 64},
      {"client_flags = ssl,restrict_domain", flags, 192},
      {"client_flags = 128", flags, 128},
      {"client_flags = auto_mount", flags, 0},
      {"client_flags =", flags, 0},
  };
  for (const Case& c : cases) {
    writeConf(c.line + "\n");
    ZxConfig config;
    EXPECT_EQ(c.field(config), c.expected) << c.line;
  }
}

TEST_F(ConfigTest, StringKeysAndTheirDefaults) {
  struct Case {
    const char* key;
    const ZxString& (ZxConfig::*field)() const;
  };
  const Case cases[] = {
      {"supervisor_logpath", &ZxConfig::supervisorLogpath},
      {"worker_address", &ZxConfig::workerAddress},
      {"worker_template_path", &ZxConfig::workerTemplatePath},
      {"worker_path_map", &ZxConfig::workerPathmap},
      {"worker_logpath", &ZxConfig::workerLogpath},
      {"client_logpath", &ZxConfig::clientLogpath},
      {"worker_logmode", &ZxConfig::workerLogmode},
      {"client_mail_address", &ZxConfig::clientMailAddress},
      {"client_account", &ZxConfig::clientAccount},
      {"client_host_domain", &ZxConfig::clientHostDomain},
      {"client_priority", &ZxConfig::clientPriority},
      {"client_cluster", &ZxConfig::clientCluster},
      {"client_restrictions", &ZxConfig::clientRestrictions},
      {"client_drive_map", &ZxConfig::clientDrivemap},
      {"client_path_map", &ZxConfig::clientPathmap},
  };
  std::string text;
  for (const Case& c : cases) text += std::string(c.key) + " = {value of " + c.key + "}\n";
  writeConf(text);
  ZxConfig config;
  for (const Case& c : cases) EXPECT_EQ(str((config.*c.field)()), std::string("value of ") + c.key) << c.key;

  // Multi-line path maps arrive whole.
  writeConf("client_path_map = {\n[direct]\n/a = /b\n}\nclient_priority = 50\n");
  ZxConfig maps;
  EXPECT_EQ(str(maps.clientPathmap()), "\n[direct]\n/a = /b\n");
  EXPECT_EQ(str(maps.clientPriority()), "50");
}

TEST_F(ConfigTest, InstallationDirectoryPrecedence) {
  writeConf("zx_directory = /d2\n");
  env_.set("ZX_DIR", "/d1");
  {
    ZxConfig config;
    EXPECT_EQ(str(installDir()), "/d1");
    EXPECT_EQ(str(config.supervisorLogpath()), "/d1/logs");
  }
  resetInstallDir();
  env_.unset("ZX_DIR");
  {
    ZxConfig config;
    EXPECT_EQ(str(installDir()), "/d2");
    EXPECT_EQ(str(config.workerTemplatePath()), "/d2/types;/jobtypes;/jobtypes");
  }
  writeConf("zx_directory = /d3\n");  // the first value read sticks
  {
    ZxConfig config;
    EXPECT_EQ(str(installDir()), "/d2");
  }
  env_.set("ZX_DIR", "/d4");  // the environment still beats the file
  {
    ZxConfig config;
    EXPECT_EQ(str(installDir()), "/d4");
  }
}

TEST_F(ConfigTest, ClientDomain) {
  writeConf("client_host_domain = CORP\n");
  EXPECT_EQ(str(ZxConfig().clientDomain()), "CORP");
  writeConf("client_host_domain =\n");
  EXPECT_EQ(str(ZxConfig().clientDomain()), ".");
}

TEST_F(ConfigTest, PrintListsTheSettings) {
  writeConf(
      "zx_supervisor = \"s1 s2\"\nzx_domain = dom\nclient_priority = 7\nclient_path_map = {[direct]}\n"
      "supervisor_http_port = 1\n");
  ZxConfig config;
  testing::internal::CaptureStdout();
  config.print();
  std::string printed = testing::internal::GetCapturedStdout();
  const std::string expected =
      "zx_supervisor(s) total: 2\n"
      "zx_supervisor: s1\n"
      "zx_supervisor: s2\n"
      "zx_domain: dom\n"
      "zx_region: \n"
      "supervisor_port: 50001\n"
      "supervisor_sub_port: 50002\n"
      "supervisor_logpath: /opt/kvl/zexa/logs\n"
      "worker_address: \n"
      "worker_logmode: remote\n"
      "worker_logpath: /opt/kvl/zexa/logs\n"
      "worker_template_path: /opt/kvl/zexa/types;/opt/kvl/jobtypes;/opt/kvl/jobtypes\n"
      "worker_path_map: \n"
      "worker_port: 50011\n"
      "client_logpath: \n"
      "client_path_map: [direct]\n"
      "client_cluster: \n"
      "client_host_domain: \n"
      "client_account: \n"
      "client_restrictions: \n"
      "client_drive_map: \n"
      "client_mail_address: \n"
      "client_priority: 7\n"
      "client_flags: 0\n"
      "client_job_flags: 8\n"
      "client_timeout: 600000\n";
  EXPECT_EQ(printed, expected);
}

TEST(EnvSnapshot, LookupRules) {
  ZxStringList entries;
  const char* raw[] = {"A=1", "A=2", "EMPTY=", "NOEQ", "B=x=y", "lower=l", "=anon"};
  for (const char* e : raw) entries.add(e);
  ZxEnvSnapshot env(entries);
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {{"A", "1"},    {"EMPTY", ""},  {"NOEQ", ""}, {"B", "x=y"},
                        {"LOWER", ""}, {"lower", "l"}, {"", "anon"}, {"MISSING", ""}};
  for (const Case& c : cases) EXPECT_EQ(str(env.get(c.name)), c.value) << c.name;
  EXPECT_FALSE(env.isSet("EMPTY"));
  EXPECT_EQ(env.count(), 7);
}

TEST(ConfigFromSnapshot, ReadsTheGivenEnvironmentAndFile) {
  TempDir tmp;
  std::string path = tmp.write("other.conf", "zx_supervisor = filehost\nsupervisor_port = 6000\n");
  ZxStringList entries;
  entries.add("ZX_DOMAIN=snapdomain");
  ZxEnvSnapshot env(entries);
  resetInstallDir();
  ZxConfig config(env, ZxString(path.c_str()));
  EXPECT_EQ(names(config.supervisors()), "filehost/0/-1;");
  EXPECT_EQ(str(config.domain()), "snapdomain");
  EXPECT_EQ(config.supervisorPort(), 6000);
  resetInstallDir();
}

}  // namespace
