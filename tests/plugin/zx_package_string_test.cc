// Tests of element quoting and of the one-level package writer and parser.
#include "plugin/zx_package_string.h"
#include "model/zx_string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Items = std::vector<std::string>;

ZxStringList listOf(const Items& items) {
  ZxStringList list;
  for (const std::string& s : items) list.add(ZxString(s.data(), static_cast<int>(s.size())));
  return list;
}

Items itemsOf(const ZxStringList& list) {
  Items items;
  for (int i = 0; i < list.count(); ++i) items.emplace_back(list.get(i)->c_str(), list.get(i)->length());
  return items;
}

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

std::string write(const Items& items) {
  ZxString text("left over");
  writePackage(listOf(items), text);
  return str(text);
}

Items parse(const std::string& text) {
  ZxStringList list;
  list.add("left over");
  parsePackage(ZxString(text.data(), static_cast<int>(text.size())), list);
  return itemsOf(list);
}

TEST(PackageString, QuotesElements) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"abc", "abc"},
      {"", "\"\""},
      {" ", "\" \""},
      {"my job", "\"my job\""},
      {"x\"y", "x\\\"y"},
      {"a\\b", "a\\\\b"},
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {"{x 1}", "\"{x 1}\""},
      {"(a)", "(a)"},
      {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
  };
  for (const Case& c : cases) {
    ZxString out("left over");
    quoteElement(ZxString(c.in.data(), static_cast<int>(c.in.size())), out);
    EXPECT_EQ(str(out), c.out) << c.in;
  }
}

TEST(PackageString, WritesOneLevel) {
  struct Case {
    Items in;
    std::string out;
  } cases[] = {
      {{"hash"}, "{}"},
      {{"array"}, "()"},
      {{"scalar"}, ""},
      {{"hello world"}, "\"hello world\""},
      {{"hash", "name", "my job", "cpus", "4"}, "{name \"my job\" cpus 4}"},
      {{"array", "a", "", "x\"y"}, "(a \"\" x\\\"y)"},
      {{"hash", "sub", "{x 1}"}, "{sub \"{x 1}\"}"},
      {{"scalar", "abc"}, "abc"},
      {{"scalar", "a b"}, "\"a b\""},
      {{"scalar", "a", "b"}, "a b"},
      {{"frames", "1-10", "x y"}, "(frames 1-10 \"x y\")"},  // untyped: the first item is an element too
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(write(c.in), c.out) << c.out;
}

TEST(PackageString, ParsesOneLevel) {
  struct Case {
    std::string in;
    Items out;
  } cases[] = {
      {"", {"scalar", ""}},
      {"abc", {"scalar", "abc"}},
      {"\"a b\"", {"scalar", "\"a b\""}},  // no unquoting at the scalar level
      {"a\\tb", {"scalar", "a\\tb"}},
      {"{name \"my job\" cpus 4}", {"hash", "name", "my job", "cpus", "4"}},
      {"(a \"\" x\\\"y)", {"array", "a", "", "x\"y"}},
      {"( )", {"array", ""}},
      {"(   )", {"array", ""}},
      {"()", {"array"}},
      {"{}", {"hash"}},
      {"(", {"array"}},
      {"(a (b c) d)", {"array", "a", "(b", "c)", "d"}},
      {"(  a   b  )", {"array", "a", "b"}},
      {"(\\n\\r\\t\\\"\\\\)", {"array", "\n\r\t\"\\"}},
      // Malformed text is read as far as the rules reach.
      {"(a b", {"array", "a"}},         // the last character is dropped unseen
      {"(a b]", {"array", "a", "b"}},   // ... whatever it is
      {"(\"ab c)", {"array", "ab c"}},  // an unterminated quote ends with the inner part
      {"(a\\qb)", {"array", "ab"}},     // an unknown escape is dropped
      {"(a\\)", {"array", "a"}},        // a backslash at the end escapes nothing
      {"(a\\ b)", {"array", "ab"}},     // an escaped blank does not separate
      {"(\"ab\"cd)", {"array", "ab", "cd"}},
      {"(a\tb)", {"array", "a\tb"}},  // only the blank separates
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.in), c.out) << c.in;
}

TEST(PackageString, NestedLevelsParseAgain) {
  Items top =
      parse(write({"hash", "sub", "{x 1}", "list", write({"array", "p q", write({"hash", "k", "v w"})})}));
  ASSERT_EQ(top, (Items{"hash", "sub", "{x 1}", "list", "(\"p q\" \"{k \\\"v w\\\"}\")"}));
  EXPECT_EQ(parse(top[2]), (Items{"hash", "x", "1"}));
  Items list = parse(top[4]);
  ASSERT_EQ(list, (Items{"array", "p q", "{k \"v w\"}"}));
  EXPECT_EQ(parse(list[2]), (Items{"hash", "k", "v w"}));
}

TEST(PackageString, WriterThenParserGivesElementsBack) {
  const Items tricky = {"plain",      "",          " ",         "two words", "\"quoted\"", "back\\slash",
                        "trailing\\", "tab\there", "new\nline", "cr\r",      "(paren",     "brace}",
                        "{a b}",      "(x (y z))", "\\\"",      "  lead",    "-5"};
  for (const char* type : {"array", "hash"}) {
    Items in = {type};
    in.insert(in.end(), tricky.begin(), tricky.end());
    if (std::string(type) == "hash") in.push_back("last value");
    EXPECT_EQ(parse(write(in)), in) << type;
  }
  for (const std::string& element : tricky)
    EXPECT_EQ(parse(write({"array", element})), (Items{"array", element}));
}

}  // namespace
