// The farm menu and the job type commands through MEL: the shipped "maya"
// job type's menu script appears when the plug-in loads and goes when it
// unloads; without job types, load and unload stay quiet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/zx_env_fixture.h"
#include "mel/melhost_runner.h"

namespace {

using meltest::MelRun;
using meltest::runMelhost;

const std::string kShippedTypes = std::string(ZX_SOURCE_DIR) + "/jobtypes";

// A configuration that sees only the job type folders in `zxpath`: no
// zx.conf, and an installation directory without types.
class MelJobTypes : public testing::Test {
 protected:
  void SetUp() override {
    tmp_.mkdir("etc");
    env_.set("ZX_CONF_DIR", tmp_.file("etc")).set("ZX_DIR", tmp_.file("inst")).set("ZXPATH", "");
  }
  void useTypes(const std::string& zxpath) { env_.set("ZXPATH", zxpath); }
  MelRun mel(const std::string& statements) {
    return runMelhost({"--json", "-c", "loadPlugin \"" + std::string(ZX_PLUGIN_PATH) + "\"; " + statements});
  }

  zxtest::TempDir tmp_;
  zxtest::ScopedEnv env_;
};

const nlohmann::json kMenuItems = {"zxFarmMenu",       "zxFarmSubmitItem",   "zxFarmDivider1",
                                   "zxFarmMyJobsItem", "zxFarmJobTypesItem", "zxFarmDivider2",
                                   "zxFarmVersionItem"};

TEST_F(MelJobTypes, ShippedMenuAppearsAtLoadAndGoesAtUnload) {
  useTypes(kShippedTypes);
  MelRun r =
      mel("zxhost_ui; menu -exists zxFarmMenu; menu -query -label zxFarmMenu; "
          "zxhost_ui -describe zxFarmVersionItem; unloadPlugin zx; zxhost_ui; menu -exists zxFarmMenu");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 8u) << r.out << r.err;
  EXPECT_EQ(lines[0]["result"], nlohmann::json::array({"zx"}));
  EXPECT_EQ(lines[1]["result"], kMenuItems);
  EXPECT_EQ(lines[2]["result"], 1);
  EXPECT_EQ(lines[3]["result"], "Farm");
  EXPECT_EQ(lines[4]["result"], "menuItem|zxFarmMenu|About|zx_menu_version");
  EXPECT_EQ(lines[5]["ok"], true);
  EXPECT_EQ(lines[5]["errors"], nlohmann::json::array());
  EXPECT_EQ(lines[6]["result"], nlohmann::json::array());
  EXPECT_EQ(lines[7]["result"], 0);
}

TEST_F(MelJobTypes, ShippedMenuItemsRunTheirCommands) {
  useTypes(kShippedTypes);
  MelRun r = runMelhost(
      {"-p", ZX_PLUGIN_PATH, "-c", "zxhost_ui -run zxFarmVersionItem; zxhost_ui -run zxFarmJobTypesItem"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Farm plug-in version 5.4-0\nmaya\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(MelJobTypes, ShippedMenuScriptBuildsTheSubmittedJobHash) {
  // The submit item's job hash, built without a scene or a farm: frames of
  // the range as work items, the scene in the package, the maya prototype.
  useTypes(kShippedTypes);
  MelRun probe = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", "zxpack {\"hash\", \"a\", \"b\"}"});
  if (probe.json().empty() || probe.json()[0]["ok"] != true) GTEST_SKIP() << "zxpack is not built yet";
  MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c",
                         "string $job = zx_menu_scene_job(\"/proj/shot.mb\", 3, 5); "
                         "zx_menu_hash_value($job, \"prototype\"); zx_menu_hash_value($job, \"name\"); "
                         "zxunpack (zx_menu_hash_value($job, \"agenda\")); "
                         "zxunpack (zx_menu_hash_value($job, \"package\"))"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 4u) << r.out << r.err;
  EXPECT_EQ(lines[0]["result"], "maya");
  EXPECT_EQ(lines[1]["result"], "maya /proj/shot.mb");
  EXPECT_EQ(lines[2]["result"], nlohmann::json::array({"array", "{name 3}", "{name 4}", "{name 5}"}));
  EXPECT_EQ(lines[3]["result"], nlohmann::json::array({"hash", "scene", "/proj/shot.mb", "range", "3-5"}));
}

TEST_F(MelJobTypes, NoJobTypesLoadAndUnloadQuietly) {
  MelRun r = mel("zxhost_ui; zxjobtypeavailable; unloadPlugin zx");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[1]["result"], nlohmann::json::array());
  EXPECT_EQ(lines[2]["result"], nlohmann::json::array());
  // "zx_remove_menu" is unknown here; the unload does not show it.
  EXPECT_EQ(lines[3]["ok"], true);
  EXPECT_EQ(lines[3]["errors"], nlohmann::json::array());
}

TEST_F(MelJobTypes, MenuScriptFromAFixtureTypeOrNothingForAFolder) {
  std::string types = tmp_.mkdir("types");
  tmp_.mkdir("types/maya");
  tmp_.mkdir("types/maya/folder.mel");
  tmp_.write("types/maya/m.mel",
             "global proc zx_remove_menu() { deleteUI -menu fixtureMenu; }\n"
             "menu -label \"Fixture\" fixtureMenu;\nmenuItem -label \"One\" fixtureItem;\n");
  useTypes(types);
  struct Case {
    const char* conf;
    nlohmann::json afterLoad;
  };
  const Case cases[] = {
      {"maya_menu = m.mel\n", nlohmann::json::array({"fixtureMenu", "fixtureItem"})},
      {"maya_menu = folder.mel\n", nlohmann::json::array()},
      {"maya_menu = missing.mel\n", nlohmann::json::array()},
  };
  for (const Case& c : cases) {
    tmp_.write("types/maya/job.conf", c.conf);
    MelRun r = mel("zxhost_ui; unloadPlugin zx; zxhost_ui");
    EXPECT_EQ(r.status, 0) << c.conf << r.out << r.err;
    std::vector<nlohmann::json> lines = r.json();
    ASSERT_EQ(lines.size(), 4u) << c.conf << r.out;
    EXPECT_EQ(lines[1]["result"], c.afterLoad) << c.conf;
    EXPECT_EQ(lines[2]["ok"], true) << c.conf;
    EXPECT_EQ(lines[3]["result"], nlohmann::json::array()) << c.conf;
  }
}

TEST_F(MelJobTypes, JobTypeCommandsThroughMel) {
  useTypes(kShippedTypes);
  struct Case {
    const char* call;
    bool ok;
    nlohmann::json result;
  };
  const Case cases[] = {
      {"zxjobconfig maya maya_menu 1", true, kShippedTypes + "/maya/zx_menu.mel"},
      {"zxjobconfig \"maya\" \"maya_menu\" \"0\"", true, "zx_menu.mel"},
      {"zxjobconfig maya maya_menu", true, "zx_menu.mel"},
      {"zxjobconfig maya nokey 1", true, kShippedTypes + "/maya/"},
      {"zxjobconfig houdini maya_menu", true, ""},
      {"zxjobconfig houdini maya_menu 1", true, "/"},
      {"zxjobconfig maya", false, nullptr},
      {"zxjobtypeavailable", true, nlohmann::json::array({"maya"})},
      {"zxjobflagint \"12\"", true, 12},
      {"zxjobflagint \"auto_mount,mail\"", true, 8 + 1024},
      {"zxjobflagint \"bogus\"", true, 0},
      {"zxjobflagint {\"mail\"}", false, nullptr},
  };
  for (const Case& c : cases) {
    MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", c.call});
    std::vector<nlohmann::json> lines = r.json();
    ASSERT_EQ(lines.size(), 1u) << c.call << "\n" << r.out << r.err;
    EXPECT_EQ(lines[0]["ok"], c.ok) << c.call;
    EXPECT_EQ(lines[0]["result"], c.result) << c.call;
    EXPECT_EQ(lines[0]["errors"], nlohmann::json::array()) << c.call;  // failures show no message
    EXPECT_EQ(r.status, c.ok ? 0 : 1) << c.call;
  }
}

}  // namespace
