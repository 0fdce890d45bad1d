// Regression tests from fuzzing the package tree: short texts nested deep
// around a character that needs an escape.
#include <gtest/gtest.h>

#include <string>

#include "plugin/zx_package_tree.h"

namespace {

ZxString zx(const std::string& s) { return ZxString(s.data(), static_cast<int>(s.size())); }

// A compact text of `levels` nested unnamed nodes around the value `leaf`.
std::string nestedCompact(int levels, const std::string& leaf) {
  std::string text;
  for (int i = 0; i < levels; ++i) text += "(=";
  text += leaf;
  for (int i = 0; i < levels; ++i) text += ")";
  return text;
}

TEST(PackageRegression, PackageStringStaysWithinItsTreeBound) {
  // Every level doubles the backslashes in front of the quote: 26 levels
  // wrote 2^25 of them (32 MiB) from a 79-byte text.
  struct Case {
    int levels;
    bool written;  // whether the element fits
  };
  const Case cases[] = {{10, true}, {20, true}, {26, false}, {60, false}};
  for (const Case& c : cases) {
    std::string compact = nestedCompact(c.levels, "\"");
    PackageNode* tree = readCompact(zx(compact));
    ASSERT_NE(tree, nullptr);
    ZxString package = treeToPackage(tree);
    EXPECT_LE(package.length(),
              kPackageTextBase + kPackageTextPerByte * static_cast<long long>(compact.size()))
        << c.levels;
    EXPECT_EQ(package.length() > 2, c.written) << c.levels;
    if (c.written) {
      // What is written reads back to the same tree.
      PackageNode* back = PackageNode::create();
      packageToTree(package, back);
      ZxString again = writeCompact(back);
      EXPECT_EQ(std::string(again.c_str(), again.length()), compact) << c.levels;
      PackageNode::release(back);
    }
    PackageNode::release(tree);
  }
}

}  // namespace

namespace {

TEST(PackageRegression, HashWithAnEmptyFirstKeySurvivesTheCompactForm) {
  // The compact form stores an empty key as no name; the hash was then
  // taken for an array and lost its keys on the way back.
  struct Case {
    const char* package;
    const char* compact;
  };
  const Case cases[] = {
      {"{\"\" a k b}", "(=(=a)(k=b))"},
      {"{k b \"\" a}", "(=(k=b)(=a))"},
      {"{x \"{\\\"\\\" 1 y 2}\"}", "(=(x=(=1)(y=2)))"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.package);
    ZxString compact = packageToCompact(c.package);
    EXPECT_EQ(std::string(compact.c_str(), compact.length()), c.compact);
    ZxString back = compactToPackage(compact);
    EXPECT_EQ(std::string(back.c_str(), back.length()), c.package);
  }
}

}  // namespace
