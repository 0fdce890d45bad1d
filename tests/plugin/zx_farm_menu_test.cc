// The farm menu steps of loading and unloading: which script is sourced and
// which MEL is run, seen through a recording host.
#include "plugin/zx_farm_menu.h"

#include <gtest/gtest.h>
#include <mayahost/host.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "plugin/zx_job_type_folders.h"

namespace {

class FarmMenu : public JobTypeFolders {
 protected:
  std::string addMaya(const std::string& conf) { return addType("maya", conf); }
};

TEST_F(FarmMenu, SourcesTheConfiguredScriptOnlyWhenItIsAFile) {
  std::string maya = addMaya("maya_menu = menu.mel\n");
  tmp_.write("types/maya/menu.mel", "// menu\n");
  tmp_.mkdir("types/maya/adir");
  std::string absolute = tmp_.write("elsewhere.mel", "// menu\n");
  ASSERT_EQ(mkfifo(tmp_.file("types/maya/pipe.mel").c_str(), 0600), 0);

  struct Case {
    std::string conf;
    std::vector<std::string> sourced;
  };
  const Case cases[] = {
      {"maya_menu = menu.mel\n", {maya + "/menu.mel"}},
      {"maya_menu = " + absolute + "\n", {absolute}},
      {"maya_menu = adir\n", {}},      // a folder
      {"maya_menu = pipe.mel\n", {}},  // a named pipe would block the load
      {"maya_menu = missing.mel\n", {}},
      {"detail = no menu\n", {}},                                 // the type's folder
      {"required_zexa_version = 1\nmaya_menu = menu.mel\n", {}},  // a type for another version
  };
  for (const Case& c : cases) {
    tmp_.write("types/maya/job.conf", c.conf);
    host_.sourced.clear();
    setUpMenu();
    EXPECT_EQ(host_.sourced, c.sourced) << c.conf;
    EXPECT_TRUE(host_.executed.empty()) << c.conf;
  }
}

TEST_F(FarmMenu, TooLongScriptPathIsNotSourced) {
  std::string dir = tmp_.mkdir(std::string(250, 'd'));
  std::string script = dir + "/menu.mel";
  ASSERT_GE(script.size(), 260u);
  tmp_.write(std::string(250, 'd') + "/menu.mel", "// menu\n");
  addMaya("maya_menu = " + script + "\n");
  testing::internal::CaptureStdout();
  setUpMenu();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: " + script + " exceeds MAX_PATH.\n");
  EXPECT_TRUE(host_.sourced.empty());
}

TEST_F(FarmMenu, NoJobTypesSourcesNothing) {
  setUpMenu();
  EXPECT_TRUE(host_.sourced.empty());
}

TEST_F(FarmMenu, UnloadAlwaysAsksForTheRemoveProcedure) {
  // With no job type at all, and with a menu script, the same quiet call.
  removeMenu();
  addMaya("maya_menu = menu.mel\n");
  tmp_.write("types/maya/menu.mel", "// menu\n");
  removeMenu();
  EXPECT_EQ(host_.executed, (std::vector<std::string>{"zx_remove_menu", "zx_remove_menu"}));
  EXPECT_TRUE(host_.sourced.empty());
}

}  // namespace
