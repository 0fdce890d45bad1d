// Tests of the package tree: node operations, package string and compact
// conversions, the tagged form, and the bounds on deep or huge input.
#include "plugin/zx_package_tree.h"
#include "util/zx_out_of_memory.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "plugin/zx_package_string.h"
#include "model/zx_string_list.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }
ZxString zx(const std::string& s) { return ZxString(s.data(), static_cast<int>(s.size())); }
std::string name(const PackageNode* n) { return std::string(n->name(), n->nameLength()); }
std::string value(const PackageNode* n) { return std::string(n->value(), n->valueLength()); }

// Owns a tree for the length of a test.
struct Tree {
  PackageNode* root;
  explicit Tree(PackageNode* r) : root(r) {}
  ~Tree() { PackageNode::release(root); }
};

PackageNode* treeOf(const std::string& package) {
  PackageNode* node = PackageNode::create();
  packageToTree(zx(package), node);
  return node;
}

PackageNode* scalar(const char* v) {
  PackageNode* n = PackageNode::create();
  n->setValue(v, static_cast<int>(std::char_traits<char>::length(v)));
  return n;
}

// A chain of `levels` unnamed nodes, each the only child of the one above,
// ending in an empty scalar.
PackageNode* chain(int levels) {
  PackageNode* root = PackageNode::create();
  PackageNode* at = root;
  for (int i = 0; i < levels; ++i) {
    PackageNode* child = PackageNode::create();
    at->addChild(child);
    at = child;
  }
  return root;
}

int chainDepth(const PackageNode* n) {
  int depth = 0;
  while (n->childCount() > 0) {
    n = n->childAt(0);
    ++depth;
  }
  return depth;
}

TEST(PackageNode, HoldsNameValueAndChildren) {
  Tree t(PackageNode::create());
  PackageNode* n = t.root;
  EXPECT_FALSE(n->hasName());
  EXPECT_FALSE(n->hasValue());
  EXPECT_EQ(n->childCount(), 0);
  EXPECT_EQ(n->childAt(0), nullptr);
  EXPECT_TRUE(n->setName("key", 3));
  EXPECT_TRUE(n->setValue("a\0b", 3));  // lengths are explicit
  EXPECT_EQ(name(n), "key");
  EXPECT_EQ(value(n), std::string("a\0b", 3));
  EXPECT_TRUE(n->setName("", 0));  // empty but present: keeps a hash a hash
  EXPECT_TRUE(n->hasName());
  EXPECT_TRUE(n->setValue(nullptr, 0));
  EXPECT_FALSE(n->hasValue());
  EXPECT_FALSE(n->addChild(nullptr));
  PackageNode* a = scalar("a");
  PackageNode* b = scalar("b");
  EXPECT_TRUE(n->addChild(a));
  EXPECT_TRUE(n->addChild(b));
  EXPECT_EQ(n->childCount(), 2);
  EXPECT_EQ(n->childAt(1), b);
  EXPECT_EQ(n->childAt(2), nullptr);
  EXPECT_EQ(n->childAt(-1), nullptr);
  PackageNode::release(nullptr);
}

TEST(PackageNode, ChildrenGrowGeometrically) {
  // One reallocation per addition would copy 5 * 10^9 pointers here.
  Tree t(PackageNode::create());
  std::set<int> capacities;
  for (int i = 0; i < 100000; ++i) {
    ASSERT_TRUE(t.root->addChild(PackageNode::create()));
    capacities.insert(t.root->childCapacity());
    ASSERT_GE(t.root->childCapacity(), t.root->childCount());
  }
  EXPECT_EQ(t.root->childCount(), 100000);
  EXPECT_LE(capacities.size(), 20u);
}

TEST(PackageNode, ReleasesAMillionLevelsWithoutRecursion) {
  Tree t(chain(1000000));
  // The writers follow at most kMaxPackageDepth levels of it.
  EXPECT_EQ(str(writeCompact(t.root)).size(), 3u * (kMaxPackageDepth + 1));  // "(=" and ")" per level
  EXPECT_LE(treeToPackage(t.root).length(), kMaxPackageText);
  EXPECT_GT(writeTagged(t.root).length(), 0);
}

TEST(PackageTree, PackageGivesTree) {
  Tree t(treeOf("{name job1 env \"{PATH /bin}\" frames \"(1 2 3)\" empty}"));
  ASSERT_EQ(t.root->childCount(), 4);
  EXPECT_FALSE(t.root->hasName());
  const PackageNode* env = t.root->childAt(1);
  EXPECT_EQ(name(t.root->childAt(0)), "name");
  EXPECT_EQ(value(t.root->childAt(0)), "job1");
  ASSERT_EQ(env->childCount(), 1);
  EXPECT_EQ(name(env->childAt(0)), "PATH");
  EXPECT_EQ(value(env->childAt(0)), "/bin");
  const PackageNode* frames = t.root->childAt(2);
  ASSERT_EQ(frames->childCount(), 3);
  EXPECT_FALSE(frames->childAt(0)->hasName());
  EXPECT_EQ(value(frames->childAt(2)), "3");
  EXPECT_EQ(name(t.root->childAt(3)), "empty");  // a key without a value still gives a child
  EXPECT_EQ(t.root->childAt(3)->childCount(), 0);
}

TEST(PackageTree, PackageToCompactAndBack) {
  struct Case {
    std::string package, compact, back;
  } cases[] = {
      {"{name job1 env \"{PATH /bin}\"}", "(=(name=job1)(env=(PATH=/bin)))",
       "{name job1 env \"{PATH /bin}\"}"},
      {"{a 1}", "(=(a=1))", "{a 1}"},
      {"abc", "(=abc)", "abc"},
      {"", "(=)", ""},
      {"()", "(=)", ""},
      {"(a b c)", "(=(=a)(=b)(=c))", "(a b c)"},
      {"(\"{a 1}\" \"{b 2}\")", "(=(=(a=1))(=(b=2)))", "(\"{a 1}\" \"{b 2}\")"},
      {"{v a=b(c)}", "(=(v=a\\=b\\(c\\)))", "{v a=b(c)}"},
      {"{k}", "(=(k=))", "{k \"\"}"},
      {"(\"\" x)", "(=(=)(=x))", "(\"\" x)"},
      // A scalar with a blank comes back quoted once, as an element, not twice.
      {"{name \"my job\"}", "(=(name=my job))", "{name \"my job\"}"},
      {"hello world", "(=hello world)", "hello world"},
      {"{q \"say \\\"hi\\\"\"}", "(=(q=say \"hi\"))", "{q \"say \\\"hi\\\"\"}"},
  };
  for (const Case& c : cases) {
    ZxString compact = packageToCompact(zx(c.package));
    EXPECT_EQ(str(compact), c.compact) << c.package;
    EXPECT_EQ(str(compactToPackage(compact)), c.back) << c.package;
  }
  EXPECT_EQ(str(compactToPackage("")), "");
}

TEST(PackageTree, TrickyValuesSurviveTheStoredForm) {
  // What a job stores is read back by MEL one level at a time: every value
  // must come back as it went in, whatever it holds.
  const std::vector<std::string> values = {
      "",     " ",      "two words", "\"quoted\"", "back\\slash", "trailing\\", "tab\there", "new\nline",
      "cr\r", "a=b(c)", "x)y",       "\\(",        "=",           "-5",         "  lead"};
  ZxStringList hash;
  hash.add("hash");
  ZxStringList array;
  array.add("array");
  for (size_t i = 0; i < values.size(); ++i) {
    hash.add(zx("k" + std::to_string(i)));
    hash.add(zx(values[i]));
    array.add(zx(values[i]));
  }
  for (ZxStringList* level : {&hash, &array}) {
    ZxString package;
    writePackage(*level, package);
    ZxString back = compactToPackage(packageToCompact(package));
    ZxStringList parsed;
    parsePackage(back, parsed);
    ASSERT_EQ(parsed.count(), level->count()) << str(back);
    for (int i = 0; i < parsed.count(); ++i) EXPECT_EQ(str(*parsed.get(i)), str(*level->get(i))) << i;
    // Nested one level deeper, inside another hash.
    ZxStringList outer;
    outer.add("hash");
    outer.add("inner");
    outer.add(package);
    ZxString nested;
    writePackage(outer, nested);
    ZxStringList parsedOuter;
    parsePackage(compactToPackage(packageToCompact(nested)), parsedOuter);
    ASSERT_EQ(parsedOuter.count(), 3);
    parsePackage(*parsedOuter.get(2), parsed);
    ASSERT_EQ(parsed.count(), level->count());
    for (int i = 0; i < parsed.count(); ++i) EXPECT_EQ(str(*parsed.get(i)), str(*level->get(i))) << i;
  }
}

TEST(PackageTree, ReadsMalformedCompactText) {
  struct Case {
    std::string in, normalised;  // writeCompact of what was read; "-" for no tree
  } cases[] = {
      {"", "-"},
      {"x(=a)", "-"},
      {"(=a", "(=a)"},
      {"(k=v(x=1)junk(y=2))", "(k=v(x=1)(y=2))"},
      {"(a\\=b=c\\(d\\))", "(a\\=b=c\\(d\\))"},
      {"(=a)(=b)", "(=a)"},
      {"(=(=x)", "(=(=x))"},
      {"(=\\", "(=)"},
      {"(k=)", "(k=)"},
      {"(noequals)", "(noequals\\)=)"},  // the name runs to the first "="
      {"(=a\\qb)", "(=aqb)"},
  };
  for (const Case& c : cases) {
    Tree t(readCompact(zx(c.in)));
    EXPECT_EQ(t.root ? str(writeCompact(t.root)) : "-", c.normalised) << c.in;
  }
  Tree empty(readCompact("(=)"));
  ASSERT_NE(empty.root, nullptr);
  EXPECT_FALSE(empty.root->hasName());  // empty texts are stored as absent
  EXPECT_FALSE(empty.root->hasValue());
}

TEST(PackageTree, EveryTruncatedPrefixReadsToAStableTree) {
  // Whatever a cut-off text gives, writing that tree and reading it again
  // must give the same tree.
  const std::string compact = "(=(name=job1)(env=(PATH=/bin)(Q=a b))(v=a\\=b\\(c\\))(=x)(=)(k=))";
  for (size_t n = 0; n <= compact.size(); ++n) {
    Tree t(readCompact(zx(compact.substr(0, n))));
    if (n == 0) {
      EXPECT_EQ(t.root, nullptr);
      continue;
    }
    ASSERT_NE(t.root, nullptr) << n;
    ZxString once = writeCompact(t.root);
    Tree again(readCompact(once));
    EXPECT_EQ(str(writeCompact(again.root)), str(once)) << n;
  }
  const std::string package =
      "{name \"my job\" env \"{PATH /bin Q \\\"a b\\\"}\" list \"(1 \\\"\\\" x\\\\y)\" k}";
  for (size_t n = 0; n <= package.size(); ++n) {
    Tree t(treeOf(package.substr(0, n)));
    ZxString once = treeToPackage(t.root);
    Tree again(treeOf(str(once)));
    EXPECT_EQ(str(treeToPackage(again.root)), str(once)) << n;
    EXPECT_EQ(str(packageToCompact(once)), str(writeCompact(t.root))) << n;
  }
}

TEST(PackageTree, DeepPackageTextIsBounded) {
  // A megabyte of nested brackets: followed kMaxPackageDepth levels down,
  // where the rest is kept as text, so that writing it gives it all back.
  const int half = 512 * 1024;
  std::string text = std::string(half, '(') + std::string(half, ')');
  Tree t(treeOf(text));
  EXPECT_EQ(chainDepth(t.root), kMaxPackageDepth);
  const PackageNode* deepest = t.root;
  while (deepest->childCount() > 0) deepest = deepest->childAt(0);
  EXPECT_EQ(deepest->valueLength(), 2 * (half - kMaxPackageDepth));
  EXPECT_EQ(str(treeToPackage(t.root)), text);
  EXPECT_EQ(str(compactToPackage(packageToCompact(zx(text)))), text);
}

TEST(PackageTree, DeepCompactTextIsBounded) {
  const int levels = 256 * 1024;  // a megabyte of "(=" and ")"
  std::string deep;
  for (int i = 0; i < levels; ++i) deep += "(=";
  deep += std::string(levels, ')');
  Tree t(readCompact(zx(deep)));
  ASSERT_NE(t.root, nullptr);
  EXPECT_EQ(chainDepth(t.root), kMaxPackageDepth);
  // Converting it: the escapes of an empty value double at every level, far
  // past any text MEL could hold, so there is no answer, and the failure is
  // noted (the commands then fail as out of memory) rather than answering a
  // package with the element left out.
  {
    ZxOutOfMemory::Watch watch;
    EXPECT_EQ(str(compactToPackage(zx(deep))), "");
    EXPECT_TRUE(watch.failed());
  }

  // Text after a part nested too deep is still read in its place.
  std::string mixed = "(=(a=1)" + deep + "(b=2))";
  Tree m(readCompact(zx(mixed)));
  ASSERT_EQ(m.root->childCount(), 3);
  EXPECT_EQ(name(m.root->childAt(2)), "b");
  EXPECT_EQ(value(m.root->childAt(2)), "2");
}

TEST(PackageTree, OversizedPackagesAreNotWrittenInPart) {
  Tree t(PackageNode::create());
  t.root->addChild(scalar("x"));
  t.root->addChild(chain(kMaxPackageDepth));  // quoted size about 2^64
  t.root->addChild(scalar("y"));
  {
    ZxOutOfMemory::Watch watch;
    EXPECT_EQ(str(treeToPackage(t.root)), "");
    EXPECT_TRUE(watch.failed());
  }
  {
    ZxOutOfMemory::Watch watch;
    Tree small(treeOf("(x y)"));
    EXPECT_EQ(str(treeToPackage(small.root)), "(x y)");
    EXPECT_FALSE(watch.failed());
  }
  // Chains that fit are written whole and read back the same.
  for (int levels : {1, 5, 20}) {
    Tree c(chain(levels));
    ZxString package = treeToPackage(c.root);
    EXPECT_EQ(package.length(), packageLength(c.root));
    Tree back(treeOf(str(package)));
    EXPECT_EQ(str(writeCompact(back.root)), str(writeCompact(c.root))) << levels;
  }
}

// The package string of a tree as its definition reads: each child's
// string built on its own and quoted into its parent.
std::string referencePackage(const PackageNode* n) {
  if (n->childCount() == 0) return value(n);
  bool hash = n->childAt(0)->hasName();
  ZxStringList list;
  list.add(hash ? "hash" : "array");
  for (int i = 0; i < n->childCount(); ++i) {
    if (hash) list.add(zx(name(n->childAt(i))));
    list.add(zx(referencePackage(n->childAt(i))));
  }
  ZxString text;
  writePackage(list, text);
  return str(text);
}

TEST(PackageTree, MeasuredLengthMatchesWrittenLength) {
  // The size check before writing must agree with the writer, or elements
  // that fit would be dropped (or oversized ones written).
  const char* packages[] = {
      "",
      "a b",
      "{name \"my job\" env \"{PATH \\\"/a b\\\"}\" tab \"x\\ty\"}",
      "(\"\" \"{k}\" \"(1 \\\"2 3\\\")\" back\\\\slash)",
      "{a \"{b \\\"{c \\\\\\\"d e\\\\\\\"}\\\"}\"}",
  };
  for (const char* p : packages) {
    Tree t(treeOf(p));
    ZxString written = treeToPackage(t.root);
    EXPECT_EQ(str(written), referencePackage(t.root)) << p;
    EXPECT_EQ(packageLength(t.root), written.length()) << p;
  }
  // Escapes at several depths, with blanks and empty elements between them.
  Tree deep(PackageNode::create());
  PackageNode* at = deep.root;
  for (int i = 0; i < 8; ++i) {
    PackageNode* named = scalar(i % 2 ? "a \"b\"\t\\" : "");
    named->setName(i % 3 ? "k ey" : "k", i % 3 ? 4 : 1);
    PackageNode* holder = PackageNode::create();
    holder->setName("sub", 3);
    at->addChild(named);
    at->addChild(holder);
    at = holder;
  }
  at->setValue("x\ny", 3);
  ZxString written = treeToPackage(deep.root);
  EXPECT_EQ(str(written), referencePackage(deep.root));
  EXPECT_EQ(packageLength(deep.root), written.length());
}

TEST(PackageTree, WritesTaggedForm) {
  Tree t(treeOf("{name job1 frames \"(1 2)\" v a=b}"));
  EXPECT_EQ(str(writeTagged(t.root)),
            "<hash>\n"
            "\t<scalar name = \"name\">job1</scalar>\n"
            "\t<array name = \"frames\">\n"
            "\t\t<scalar>1</scalar>\n"
            "\t\t<scalar>2</scalar>\n"
            "\t</array>\n"
            "\t<scalar name = \"v\">a\\=b</scalar>\n"
            "</hash>\n");
}

}  // namespace
