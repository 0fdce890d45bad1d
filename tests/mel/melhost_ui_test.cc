// The MEL host's record of menus and menu items: what menu scripts build and
// take down, the names they find again, and the errors Maya would give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mel/melhost_runner.h"

namespace {

using meltest::MelRun;
using meltest::runMelhost;

TEST(MelhostUi, MenusAndItems) {
  struct Case {
    const char* setup;  // run first; must succeed
    const char* call;   // its JSON line is checked
    bool ok;
    nlohmann::json result;
  };
  const char* farm = "menu -label \"Farm\" -tearOff true m; menuItem -label \"A\" -command \"print 1\" a; ";
  const Case cases[] = {
      {farm, "zxhost_ui", true, {"m", "a"}},
      {farm, "zxhost_ui -describe a", true, "menuItem|m|A|print 1"},
      {farm, "menu -query -label m", true, "Farm"},
      {farm, "menu -query -itemArray m", true, {"a"}},
      {farm, "menuItem -query -label a", true, "A"},
      {farm, "menu -exists a", true, 0},  // an item is not a menu
      {farm, "menuItem -exists a", true, 1},
      {"", "menu -exists m", true, 0},
      {"", "menu -label \"X\"", true, "menu1"},  // generated names
      {farm, "menu m", false, nullptr},          // names are unique
      {"", "menuItem -label \"orphan\"", false, nullptr},
      {farm, "menu -bogus 1 n", false, nullptr},
      {farm, "deleteUI -menu a", false, nullptr},  // not a menu
      {farm, "deleteUI -menu nothing", false, nullptr},
      // Deleting a menu takes its items, sub-menus included.
      {"menu m; menuItem -subMenu true s; menuItem deep; setParent -menu ..; menuItem top; deleteUI -menu m;",
       "zxhost_ui", true, nlohmann::json::array()},
      {"menu m; menuItem -subMenu true s; menuItem deep; setParent -menu ..; menuItem top;",
       "menu -query -itemArray m",
       true,
       {"s", "top"}},
      {"menu m; menu n; menuItem -parent m x;", "zxhost_ui -describe x", true, "menuItem|m||"},
      {"setParent win;", "menu w", true, "w"},
      {"setParent win; menu w;", "zxhost_ui -describe w", true, "menu|win|w|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + c.call);
    std::string text = std::string(c.setup) + c.call;
    MelRun r = runMelhost({"--json", "-c", text});
    std::vector<nlohmann::json> lines = r.json();
    ASSERT_FALSE(lines.empty()) << text << "\n" << r.err;
    const nlohmann::json& last = lines.back();
    EXPECT_EQ(last["ok"], c.ok) << text << "\n" << r.out;
    if (c.ok) {
      EXPECT_EQ(last["result"], c.result) << text;
    }
    for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i]["ok"], true) << text << "\n" << r.out;
  }
}

TEST(MelhostUi, RunningAnItemRunsItsCommand) {
  MelRun r = runMelhost({"-c",
                         "global proc clicked() { print \"clicked\\n\"; deleteUI -menu m; } "
                         "menu m; menuItem -command \"clicked\" a; zxhost_ui -run a; zxhost_ui -run a"});
  // The first click deletes the menu with its item.
  EXPECT_EQ(r.out, "// Result: m //\n// Result: a //\nclicked\n");
  EXPECT_NE(r.err.find("Object 'a' not found"), std::string::npos) << r.err;
  EXPECT_EQ(r.status, 1);
}

}  // namespace
