// Regression tests from fuzzing ZxConfigTree: texts that hold NUL bytes.
#include <gtest/gtest.h>

#include <string>

#include "config/zx_config_tree.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

TEST(ConfigTreeRegression, WordsWithANulAfterSelfAreNotSelf) {
  // "self" and "this" were compared by reading the word past its end when
  // the text went on with a NUL and more bytes after the same letters.
  struct Case {
    std::string text;
    std::string value;
  };
  const Case cases[] = {
      {std::string("[s]\nk = ${self._}\n", 17), "s"},
      {std::string("[s]\nk = ${self\0x._}\n", 19), "._"},
      {std::string("[s]\nk = ${this\0y._}\n", 19), "._"},
      {std::string("[s]\nk = $self\0x\n", 16), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    ZxConfigTree tree;
    testing::internal::CaptureStderr();
    tree.parse(ZxString(c.text.data(), static_cast<int>(c.text.size())));
    testing::internal::GetCapturedStderr();
    ASSERT_NE(tree.section("s"), nullptr);
    EXPECT_EQ(str(tree.section("s")->get("k")), c.value);
  }
}

}  // namespace
