// Callback libraries read into callback lists.
#include "config/zx_callback_library.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/zx_config_tree.h"
#include "config/zx_env_fixture.h"
#include "model/zx_string_list.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

TEST(CallbackLibrary, OneCallbackPerCompleteSection) {
  zxtest::TempDir tmp;
  const char* text =
      "[done-job-self]\nlanguage = python\ncode = \"notify()\"\nmax = 3\n"
      "[fail-subjob-self-*]\nlanguage = zexa\ncode = retry-subjob-self\n"
      "[nocode]\nlanguage = python\n"
      "[nolanguage]\ncode = x\n"
      "[emptymax]\nlanguage = perl\ncode = p\nmax = \"\"\n";
  std::string file = tmp.write("callbacks.conf", text);

  ZxCallbackList callbacks;
  ZxCallback* kept = new ZxCallback;
  kept->setCode("already there");
  callbacks.append(kept);
  loadCallbacks(ZxString(file.c_str()), callbacks);
  ASSERT_EQ(callbacks.count(), 4);
  EXPECT_EQ(str(callbacks.get(0)->code()), "already there");  // appended after

  std::set<std::string> seen;
  for (int i = 1; i < callbacks.count(); ++i) {
    const ZxCallback& cb = *callbacks.get(i);
    std::string name = str(cb.triggers());
    seen.insert(name);
    if (name == "done-job-self") {
      EXPECT_EQ(str(cb.code()), "notify()");
      EXPECT_EQ(str(cb.languageText()), "python");
      EXPECT_EQ(cb.maximum(), 3);
    } else if (name == "fail-subjob-self-*") {
      EXPECT_EQ(str(cb.code()), "retry-subjob-self");
      EXPECT_EQ(str(cb.languageText()), "zexa");
      EXPECT_EQ(cb.maximum(), -1);
    } else {
      EXPECT_EQ(name, "emptymax");
      EXPECT_EQ(cb.maximum(), -1);
    }
  }
  EXPECT_EQ(seen, (std::set<std::string>{"done-job-self", "fail-subjob-self-*", "emptymax"}));

  // In the order of the section list.
  ZxConfigTree tree(ZxString(file.c_str()));
  ZxStringList order;
  tree.sectionNames(order);
  int at = 1;
  for (int i = 0; i < order.count(); ++i) {
    std::string name = str(*order.get(i));
    if (seen.count(name)) {
      EXPECT_EQ(str(callbacks.get(at++)->triggers()), name);
    }
  }
}

TEST(CallbackLibrary, MissingFileAddsNothing) {
  zxtest::TempDir tmp;
  ZxCallbackList callbacks;
  loadCallbacks(ZxString(tmp.file("absent").c_str()), callbacks);
  loadCallbacks(ZxString(tmp.path().c_str()), callbacks);  // a folder
  EXPECT_EQ(callbacks.count(), 0);
}

}  // namespace
