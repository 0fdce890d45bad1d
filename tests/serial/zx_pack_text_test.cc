// Text form: exact layout, round trips of awkward strings, the results of
// fromText, unique names of repeated elements, deep nesting, and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "serial/zx_pack.h"
#include "serial/zx_text_parser.h"
#include "zx_pack_support.h"

using namespace zxtest;

namespace {

int readBack(ZxPack& target, ZxPack& source) {
  std::string text = wrapped(source.toText());
  return target.fromText(text.c_str(), static_cast<int>(text.size()));
}

TEST(PackText, ExactLayout) {
  Outer o;
  o.head = -3;
  o.inner.number = 7;
  o.inner.letter = 'A';
  o.inner.name = "a&b<c";
  o.inner.flag = true;
  o.tail = "t";
  const char* expected =
      "<version>1</version>\n"
      "<object type = 'outer'>\n"
      "\t<head>-3</head>\n"
      "\t<inner>\n"
      "\t\t<object type = 'sample'>\n"
      "\t\t\t<number>7</number>\n"
      "\t\t\t<letter>65</letter>\n"
      "\t\t\t<name>a&amp;b&lt;c</name>\n"
      "\t\t\t<flag>1</flag>\n"
      "\t\t</object>\n"
      "\t</inner>\n"
      "\t<tail>t</tail>\n"
      "</object>";
  EXPECT_STREQ(o.toText(), expected);
  EXPECT_EQ(o.used(), static_cast<int>(std::string(expected).size()));
  Outer back;
  ASSERT_EQ(readBack(back, o), ZxPack::kOk);
  EXPECT_EQ(back.head, -3);
  EXPECT_EQ(back.inner.number, 7);
  EXPECT_EQ(back.inner.letter, 'A');
  EXPECT_EQ(back.inner.name, "a&b<c");
  EXPECT_TRUE(back.inner.flag);
  EXPECT_EQ(back.tail, "t");
}

TEST(PackText, StringsAndCharactersRoundTrip) {
  std::string printable;
  for (int c = 32; c < 127; ++c) printable.push_back(static_cast<char>(c));
  const char* strings[] = {"",        "plain",      "a&b",   "<",    "a<b>c",
                           "]]>",     "x]]>y]]]>",  "&amp;", "&lt;", "<object type = 'x'>",
                           "</name>", "  spaced  ", "\ttab", "'\"",  printable.c_str()};
  for (const char* s : strings) {
    Sample in, out;
    in.name = s;
    out.name = "preset";
    ASSERT_EQ(readBack(out, in), ZxPack::kOk) << s;
    EXPECT_EQ(std::string(out.name.c_str()), std::string(s)) << s;
  }
  const char letters[] = {'a', '0', '9', ' ', '<', '&', '\x01', '\x7F', '\x80', '\xFF'};
  for (char c : letters) {
    Sample in, out;
    in.letter = c;
    ASSERT_EQ(readBack(out, in), ZxPack::kOk);
    EXPECT_EQ(out.letter, c) << static_cast<int>(c);
  }
}

TEST(PackText, FromTextResults) {
  struct Case {
    const char* text;
    int result;
    int number;  // Sample.number afterwards (preset 42)
  };
  const Case cases[] = {
      {"<pack><version>1</version><object type = 'sample'><number>5</number></object></pack>", 0, 5},
      {"<pack><version>1</version></pack>", 0, 42},  // no object: unchanged
      {"<pack><object type = 'sample'><number>5</number></object></pack>", ZxPack::kNoVersion, 42},
      {"<pack><version>2</version><object><number>5</number></object></pack>", ZxPack::kBadVersion, 42},
      {"<pack><version>1</version><object><number>5</number></pack>", ZxPack::kNotWellFormed, 42},
      {"<pack><version>1</version><object><name>a<b</name></object></pack>", ZxPack::kNotWellFormed, 42},
      {"<version>1</version><object><number>5</number></object>", ZxPack::kNotWellFormed, 42},
      {"", ZxPack::kNotWellFormed, 42},
      // Entity declarations are refused outright.
      {"<!DOCTYPE p [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
       "<pack><version>1</version><object><name>&b;</name></object></pack>",
       ZxPack::kNotWellFormed, 42},
      // Unknown elements and absent fields change nothing.
      {"<pack><version>1</version><object><other>9</other></object></pack>", 0, 42},
  };
  for (const Case& c : cases) {
    Sample s;
    s.number = 42;
    EXPECT_EQ(s.fromText(c.text, static_cast<int>(std::string(c.text).size())), c.result) << c.text;
    EXPECT_EQ(s.number, c.number) << c.text;
  }
}

TEST(PackText, RepeatedElementsGetUniqueNames) {
  int result = -1;
  const std::string text = "<r><item>a</item><item>b</item><item1>x</item1><item>c</item><v>1</v></r>";
  auto root = zxtext::parse(text.c_str(), static_cast<int>(text.size()), 100, &result);
  ASSERT_EQ(result, 0);
  ASSERT_TRUE(root);
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {{"item", "a"}, {"item1", "b"}, {"item11", "x"}, {"item2", "c"}, {"v", "1"}};
  for (const Case& c : cases) {
    const ZxString* v = root->value(c.name);
    ASSERT_NE(v, nullptr) << c.name;
    EXPECT_STREQ(v->c_str(), c.value) << c.name;
  }
  EXPECT_EQ(root->value("item3"), nullptr);
}

// The text of a chain of `levels` nested nodes, built iteratively.
std::string nestedText(int levels) {
  std::string s = "<pack><version>1</version><object type = 'node'>";
  for (int i = 1; i < levels; ++i) s += "<value>1</value><child><object type = 'node'>";
  s += "<value>1</value><after>1</after>";
  for (int i = 1; i < levels; ++i) s += "</object></child><after>1</after>";
  s += "</object></pack>";
  return s;
}

TEST(PackText, NestingDepthIsBounded) {
  {
    std::string text = nestedText(ZxPack::kMaxNesting + 1);
    Node n;
    ASSERT_EQ(n.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
    EXPECT_EQ(n.depth(), ZxPack::kMaxNesting);
  }
  {
    std::string text = nestedText(ZxPack::kMaxNesting + 2);
    Node n;
    ASSERT_EQ(n.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
    EXPECT_EQ(n.depth(), ZxPack::kMaxNesting);
    const Node* holder = &n;
    while (holder->child && holder->child->value == 1) holder = holder->child;
    EXPECT_EQ(holder->after, 0);  // the rest of the holder was dropped
    EXPECT_EQ(n.after, 1);
  }
  {
    std::string text = nestedText(100000);  // about 8 MB
    Node n;
    ASSERT_EQ(n.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
    EXPECT_EQ(n.depth(), ZxPack::kMaxNesting);
    EXPECT_EQ(n.after, 1);
  }
}

// ---- file forms ---------------------------------------------------------------

std::string tempPath(const char* name) { return testing::TempDir() + "zx_pack_" + name; }

std::string fileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

int g_hookCalls = 0;
int countingReader(ZxPack& target, const ZxString& path) {
  ++g_hookCalls;
  return target.readFile(path, ZxPack::kFormText);
}

TEST(PackFile, BinaryAndTextForms) {
  Outer o;
  o.head = 12;
  o.inner.name = "in<&>";
  o.tail = "tail";
  const std::string bin = tempPath("bin"), txt = tempPath("txt");

  int n = o.writeFile(bin.c_str(), ZxPack::kFormBinary);
  o.pack();
  EXPECT_EQ(n, o.used());
  EXPECT_EQ(fileBytes(bin), std::string(o.buffer(), o.used()));
  n = o.writeFile(txt.c_str(), ZxPack::kFormText);
  EXPECT_EQ(fileBytes(txt), std::string(o.toText()));
  EXPECT_EQ(n, o.used());

  struct Case {
    const std::string* path;
    int form;
    bool ok;
  };
  const Case cases[] = {
      {&bin, ZxPack::kFormBinary, true}, {&txt, ZxPack::kFormText, true},    {&bin, ZxPack::kFormJob, true},
      {&txt, ZxPack::kFormJob, true},    {&txt, ZxPack::kFormBinary, false}, {&bin, ZxPack::kFormText, false},
  };
  for (const Case& c : cases) {
    Outer back;
    int r = back.readFile(c.path->c_str(), c.form);
    EXPECT_EQ(r > 0, c.ok) << *c.path << " form " << c.form;
    if (!c.ok) continue;
    EXPECT_EQ(back.head, 12);
    EXPECT_EQ(back.inner.name, "in<&>");
    EXPECT_EQ(back.tail, "tail");
    if (c.form == ZxPack::kFormText) {
      EXPECT_EQ(r, static_cast<int>(fileBytes(txt).size()) + 15);  // the wrapped length
    }
  }

  const std::string missing = tempPath("missing");
  std::remove(missing.c_str());
  Outer none;
  for (int form : {0, 1, 2}) EXPECT_EQ(none.readFile(missing.c_str(), form), 0);
  EXPECT_EQ(none.writeFile((testing::TempDir() + "no/such/dir/x").c_str(), 1), 0);

  // The job form hands text files to the registered reader.
  ZxPack::setJobTextReader(countingReader);
  Outer viaHook;
  EXPECT_GT(viaHook.readFile(txt.c_str(), ZxPack::kFormJob), 0);
  EXPECT_GT(viaHook.readFile(bin.c_str(), ZxPack::kFormJob), 0);
  ZxPack::setJobTextReader(nullptr);
  EXPECT_EQ(g_hookCalls, 1);
  EXPECT_EQ(viaHook.tail, "tail");
  std::remove(bin.c_str());
  std::remove(txt.c_str());
}

}  // namespace
