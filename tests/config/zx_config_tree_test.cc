// Tests of the sectioned configuration format: sections, generated names,
// inheritance, qualified keys, values, references with self/this, malformed
// statements, and hostile texts that must end quickly with bounded memory.
#include "config/zx_config_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "config/zx_env_fixture.h"
#include "model/zx_string_list.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

// The whole tree as "section:key=value;...|" in sorted order.
std::string dump(const ZxConfigTree& tree) {
  ZxStringList names;
  tree.sectionNames(names);
  names.sort();
  std::string out;
  for (int i = 0; i < names.count(); ++i) {
    const ZxConfigFile* section = tree.section(*names.get(i));
    ZxStringList keys;
    section->keys(keys);
    keys.sort();
    out += str(*names.get(i)) + ":";
    for (int k = 0; k < keys.count(); ++k)
      out += str(*keys.get(k)) + "=" + str(section->get(*keys.get(k))) + ";";
    out += "|";
  }
  return out;
}

std::string parseDump(const std::string& text, std::string* warnings = nullptr) {
  ZxConfigTree tree;
  testing::internal::CaptureStderr();
  tree.parse(ZxString(text.data(), static_cast<int>(text.size())));
  std::string err = testing::internal::GetCapturedStderr();
  if (warnings) *warnings = err;
  return dump(tree);
}

TEST(ConfigTreeParse, SectionsValuesAndStatements) {
  struct Case {
    const char* what;
    std::string text;
    std::string tree;
  };
  const Case cases[] = {
      {"no header: localhost", "a = 1\n", "localhost:a=1;|"},
      {"only headers: no localhost", "[a]\n[b]\n", "a:|b:|"},
      {"comma list", "[web,db]\nport = 80\n", "db:port=80;|web:port=80;|"},
      {"range in a name", "[n[1-2]]\nk = v\n", "n1:k=v;|n2:k=v;|"},
      {"zero-filled range", "[h[01-02]]\n", "h01:|h02:|"},
      {"header and assignment on one line", "[x] a = 1", "x:a=1;|"},
      {"inheritance from above", "[base]\nx = 1\n[child] : base\ny = 2\n", "base:x=1;|child:x=1;y=2;|"},
      {"two parents, later wins", "[a]\nk=1\nm=1\n[b]\nk=2\n[c] : a b\n", "a:k=1;m=1;|b:k=2;|c:k=2;m=1;|"},
      {"child value replaces inherited", "[b]\nk = 1\n[c] : b\nk = 2\n", "b:k=1;|c:k=2;|"},
      {"unquoted blanks are lost", "a = a b c\n", "localhost:a=abc;|"},
      {"braces keep blanks", "a = {a b c}\n", "localhost:a=a b c;|"},
      {"braces keep line breaks", "a = {x\n y}\n", "localhost:a=x\n y;|"},
      {"quotes keep blanks", "a = \"a b c\"\n", "localhost:a=a b c;|"},
      {"escaped brace", "a = {x\\}y}\n", "localhost:a=x}y;|"},
      {"escaped quote", "a = \"say \\\"hi\\\"\"\n", "localhost:a=say \"hi\";|"},
      {"quote ends at the line end", "a = \"open\nb = 2\n", "localhost:a=open;b=2;|"},
      {"comment after a value", "a = 1 # note\n", "localhost:a=1;|"},
      {"punctuation joins the value", "a = x:y=z\n", "localhost:a=x:y=z;|"},
      {"empty value", "a =\nb = 2\n", "localhost:a=;b=2;|"},
      {"CR ends a line", "a = 1\rb = 2\r", "localhost:a=1;b=2;|"},
      {"unclosed brace runs to the end", "a = {never\ncloses", "localhost:a=never\ncloses;|"},
      {"qualified key creates its section", "[s]\nother.k = v\nk = w\n", "other:k=v;|s:k=w;|"},
      {"qualified key with dots", "a.b.c = 1\n", "a:b.c=1;|"},
      {"later set replaces", "[s]\nk = 1\n[s]\nk = 2\n", "s:k=2;|"},
      // Malformed statements end the parse and keep what came before.
      {"key without =", "a = 1\nkey 5\nb = 2\n", "localhost:a=1;|"},
      {"statement starting with =", "a = 1\n= 5\nb = 2\n", "localhost:a=1;|"},
      {"unclosed header", "a = 1\n[open\nb = 2\n", "localhost:a=1;|"},
      {"= at the end", "a = 1\nb =", "localhost:a=1;|"},
      {"key at the end", "a = 1\nb", "localhost:a=1;|"},
      {"empty section name", "a = 1\n.k = 2\nb = 3\n", "localhost:a=1;|"},
      {"a colon is a token of its own", "a = 1\nP: = x\nb = 2\n", "localhost:a=1;|"},
      {"braced statement", "a = 1\n{x}\nb = 2\n", "localhost:a=1;|"},
      {"empty text", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(parseDump(c.text), c.tree) << c.what;
}

TEST(ConfigTreeParse, MissingParentWarnsAndSkips) {
  std::string warnings;
  EXPECT_EQ(parseDump("[child] : base\nx = 1\n[base]\ny = 2\n", &warnings), "base:y=2;|child:x=1;|");
  EXPECT_EQ(warnings, "WARNING: child missing parent base... skipping.\n");
  EXPECT_EQ(parseDump("[a]\nk = 1\n[b,c] : nope a\n", &warnings), "a:k=1;|b:k=1;|c:k=1;|");
  EXPECT_EQ(warnings, "WARNING: b,c missing parent nope... skipping.\n");
  // Huge names are cut in the warning.
  std::string longName(5000, 'p');
  parseDump("[c] : " + longName + "\n", &warnings);
  EXPECT_EQ(warnings, "WARNING: c missing parent " + longName.substr(0, 256) + "... skipping.\n");
}

TEST(ConfigTreeReferences, Table) {
  struct Case {
    const char* what;
    std::string text;
    std::string tree;
  };
  const Case cases[] = {
      {"self dotted", "[s]\nx = ${self.y}\ny = 5\n", "s:x=5;y=5;|"},
      {"this dotted", "[s]\nx = $this.y\ny = 5\n", "s:x=5;y=5;|"},
      {"section name", "[s]\nx = $_\n", "s:x=s;|"},
      {"dotted section name", "[s]\nx = \"${this._}\"\n", "s:x=s;|"},
      {"other section", "[t]\nv = 7\n[s]\nx = \"<${t.v}>\"\n", "s:x=<7>;|t:v=7;|"},
      {"names run to a mark or blank", "[t]\nv = 7\n[s]\nx = \"<$t.v>\"\n", "s:x=<;|t:v=7;|"},
      {"plain reference", "[s]\ny = 5\nx = \"[$y ]\"\n", "s:x=[5 ];y=5;|"},
      {"braced plain reference", "[s]\ny = 5\nx = \"${y}z\"\n", "s:x=5z;y=5;|"},
      {"plain reference is not expanded again", "[s]\ny = $_\nx = \"${y}\"\n", "s:x=$_;y=s;|"},
      {"missing key", "[s]\nx = \"<${nope}>\"\n", "s:x=<>;|"},
      {"missing section keeps the rest", "[s]\nx = \"<${nope.k}>\"\n", "s:x=<.k}>;|"},
      {"trailing $ dropped", "[s]\nx = \"cost$\"\n", "s:x=cost;|"},
      {"$ without a name stays", "[s]\nx = \"a $ b\"\n", "s:x=a $ b;|"},
      // Expanding t.v for s: "self" names t, plain references read s.
      {"plain inside dotted reads the outer section", "[t]\nw = tw\nv = \"$w\"\n[s]\nw = sw\nx = ${t.v}\n",
       "s:w=sw;x=sw;|t:v=tw;w=tw;|"},
      // Inherited values stay bound to the parent.
      {"bound before inheritance", "[base]\np = ${self._}\n[child] : base\n", "base:p=base;|child:p=base;|"},
      // Later sections are expanded first, so a earlier section sees their
      // expanded values.
      {"last created expands first", "[a]\nx = ${b.y}\n[b]\ny = \"$z \"\nz = 1\n", "a:x=1 ;|b:y=1 ;z=1;|"},
      {"cycle ends empty", "[s]\na = ${s.b}\nb = ${s.a}\n", "s:a=;b=;|"},
      {"self cycle ends empty", "[s]\na = \"x${self.a}\"\n", "s:a=" + std::string(32, 'x') + "x;|"},
  };
  for (const Case& c : cases) EXPECT_EQ(parseDump(c.text), c.tree) << c.what;
}

TEST(ConfigTreeFile, ReadsAFileAndToleratesAMissingOne) {
  zxtest::TempDir tmp;
  std::string path = tmp.write("callbacks.conf", "[cb1]\nlanguage = python\ncode = {print(1)}\n[cb2]\n");
  ZxConfigTree tree(ZxString(path.c_str()));
  EXPECT_EQ(dump(tree), "cb1:code=print(1);language=python;|cb2:|");
  ZxStringList order;
  tree.sectionNamesInOrder(order);
  EXPECT_EQ(str(order.join(",")), "cb1,cb2");
  EXPECT_EQ(tree.section("missing"), nullptr);
  ZxConfigTree none(ZxString(tmp.file("missing").c_str()));
  EXPECT_EQ(none.count(), 0);
}

TEST(ConfigTreeFile, PathMapInsideAConfigurationValue) {
  // The path map of zx.conf arrives as one braced value and is read as a tree.
  ZxConfigFile conf;
  conf.parse("client_path_map = {\n[direct]\n/proj = /mnt/proj\n[logical]\nproj = \"/mnt/p q\"\n}\n");
  ZxConfigTree tree;
  tree.parse(conf.get("client_path_map"));
  EXPECT_EQ(dump(tree), "direct:/proj=/mnt/proj;|logical:proj=/mnt/p q;|");
}

// Hostile texts: each must return normally, within bounded memory (the
// sanitizer run would fail on an allocation of the size they ask for).
class ConfigTreeHostile : public testing::Test {};

TEST_F(ConfigTreeHostile, HugeHeaderRangeIsSkipped) {
  std::string warnings;
  EXPECT_EQ(parseDump("[n[1-100000000]]\nk = v\n[ok]\nz = 1\n", &warnings), "ok:z=1;|");
  EXPECT_EQ(warnings, "WARNING: n[1-100000000] names more than 10000 sections... skipping.\n");
  EXPECT_EQ(parseDump("[1-100000000]\nk = v\n", &warnings), "");
  EXPECT_EQ(parseDump("[a[1-5000],b[1-5001]]\n", &warnings), "");
  // At the cap itself the sections are made.
  ZxConfigTree tree;
  tree.parse("[n[1-10000]]\nk = v\n");
  EXPECT_EQ(tree.count(), ZxConfigTree::kMaxSections);
  EXPECT_EQ(str(tree.section("n10000")->get("k")), "v");
}

TEST_F(ConfigTreeHostile, SectionCountIsCappedAcrossHeaders) {
  std::string text;
  for (int i = 0; i < 3; ++i) text += "[g" + std::to_string(i) + "_[1-6000]]\nk = v\n";
  ZxConfigTree tree;
  testing::internal::CaptureStderr();
  tree.parse(ZxString(text.c_str()));
  std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_LE(tree.count(), ZxConfigTree::kMaxSections);
  EXPECT_NE(warnings.find("g1_[1-6000]: the file already holds 10000 sections... skipping."),
            std::string::npos);
}

TEST_F(ConfigTreeHostile, RepeatedLargeHeadersStop) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "[n[1-10000]]\nk" + std::to_string(i) + " = v\n";
  ZxConfigTree tree;
  testing::internal::CaptureStderr();
  tree.parse(ZxString(text.c_str()));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(tree.count(), 10000);
  EXPECT_EQ(tree.section("n1")->count(), 20);  // the parse stopped part way
}

TEST_F(ConfigTreeHostile, MegabytesOfPairsParse) {
  std::string text = "[big]\n";
  for (int i = 0; i < 100000; ++i)
    text += "key" + std::to_string(i) + " = value-of-some-ordinary-length-" + std::to_string(i) + "\n";
  ASSERT_GT(text.size(), 4u << 20);
  ZxConfigTree tree;
  tree.parse(ZxString(text.data(), static_cast<int>(text.size())));
  ASSERT_NE(tree.section("big"), nullptr);
  EXPECT_EQ(tree.section("big")->count(), 100000);
  EXPECT_EQ(str(tree.section("big")->get("key99999")), "value-of-some-ordinary-length-99999");
}

TEST_F(ConfigTreeHostile, LongValuesOverManySectionsStop) {
  std::string text = "[n[1-10000]]\n";
  std::string value(100000, 'v');
  for (int i = 0; i < 100; ++i) text += "k" + std::to_string(i) + " = " + value + "\n";
  ZxConfigTree tree;
  testing::internal::CaptureStderr();
  tree.parse(ZxString(text.data(), static_cast<int>(text.size())));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("too many values"), std::string::npos);
  EXPECT_LT(tree.section("n1")->count(), 100);
}

TEST_F(ConfigTreeHostile, UnclosedBraceOfMegabytes) {
  std::string text = "a = {" + std::string(3 << 20, 'x');
  ZxConfigTree tree;
  tree.parse(ZxString(text.data(), static_cast<int>(text.size())));
  EXPECT_EQ(tree.section("localhost")->get("a").length(), 3 << 20);
}

TEST_F(ConfigTreeHostile, FanOutReferencesStop) {
  // Each key names the next one twice: 2^40 expansions if nothing stopped it.
  std::string text = "[s]\n";
  for (int i = 0; i < 40; ++i)
    text += "k" + std::to_string(i) + " = ${s.k" + std::to_string(i + 1) + "}${s.k" + std::to_string(i + 1) +
            "}\n";
  text += "k40 = x\n";
  ZxConfigTree tree;
  tree.parse(ZxString(text.c_str()));
  ASSERT_NE(tree.section("s"), nullptr);
  EXPECT_EQ(tree.section("s")->count(), 41);
  EXPECT_EQ(str(tree.section("s")->get("k40")), "x");
}

TEST_F(ConfigTreeHostile, ReferencesThatMultiplyOutputStop) {
  // One long value copied many times over by plain references.
  std::string text = "[s]\nbig = " + std::string(1 << 20, 'b') + "\nx = \"";
  for (int i = 0; i < 200; ++i) text += "$big";
  text += "\"\n";
  ZxConfigTree tree;
  tree.parse(ZxString(text.data(), static_cast<int>(text.size())));
  ASSERT_NE(tree.section("s"), nullptr);
  EXPECT_LE(tree.section("s")->get("x").length(), ZxConfigTree::kMaxExpandedBytes);
}

}  // namespace
